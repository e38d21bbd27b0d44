#pragma once
// Help > "About...": product, version and model line; closes by itself after
// 20 s. A double-click on the product name reveals a hidden tip. It also
// names the settings file in use, so nobody has to guess where it is.
#include <QDialog>

namespace sondaro {

class AboutBox final : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kAutoCloseMs = 20000;
  explicit AboutBox(QWidget* parent = nullptr, const QString& settingsFile = {});

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  class QTimer* autoClose_;
};

}  // namespace sondaro
