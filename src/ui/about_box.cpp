#include "ui/about_box.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>
#include <QVBoxLayout>

#include "app/app_shell.h"

namespace sondaro {

namespace {

// Build switches of the box: all three lines are shown.
constexpr bool kShowModel = true;
constexpr bool kShowLink = true;
constexpr bool kShowNotice = true;
constexpr const char* kLink = "mailto:support@sondaro.example";
constexpr const char* kNotice = "Not for reference measurement without a calibrated analyzer.";
// Stored with every character code raised by one.
constexpr const char* kHiddenTip = "Tpoebsp;!uif!bobmz{fs!gspou!foe-!cvjmu!xjui!Ru!7!gps!Mjovy/";

class ProductName final : public QLabel {
 public:
  ProductName() : QLabel(kAppTitle) {
    QFont f = font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    setFont(f);
  }

 protected:
  void mouseDoubleClickEvent(QMouseEvent*) override {
    setToolTip(QString::fromLatin1(DecodeShifted(kHiddenTip)));
  }
};

}  // namespace

AboutBox::AboutBox(QWidget* parent, const QString& settingsFile) : QDialog(parent) {
  setWindowTitle("About");
  auto* column = new QVBoxLayout(this);
  column->addWidget(new ProductName);
  column->addWidget(new QLabel(QString("Version ") + kAppVersion));
  if (kShowModel) column->addWidget(new QLabel("M40/M140  FM Analyzer"));
  if (kShowLink) {
    auto* link = new QLabel(QString("<a href=\"%1\">%2</a>")
                                .arg(kLink, QString::fromStdString(AboutLinkCaption(kLink))));
    link->setOpenExternalLinks(true);
    column->addWidget(link);
  }
  if (kShowNotice) column->addWidget(new QLabel(kNotice));
  if (!settingsFile.isEmpty()) {
    auto* where = new QLabel("Settings: " + settingsFile);
    where->setObjectName("settingsFile");
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(where);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  column->addWidget(buttons);
  autoClose_ = new QTimer(this);
  autoClose_->setSingleShot(true);
  connect(autoClose_, &QTimer::timeout, this, &QDialog::accept);
}

// The count runs only while the box is shown.
void AboutBox::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  autoClose_->start(kAutoCloseMs);
}

void AboutBox::hideEvent(QHideEvent* e) {
  autoClose_->stop();
  QDialog::hideEvent(e);
}

}  // namespace sondaro
