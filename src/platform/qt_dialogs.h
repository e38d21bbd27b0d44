#pragma once
// Modal boxes and file dialogs with Qt widgets; Latin-1 at the boundary.
#include <QWidget>

#include "core/ports.h"

namespace sondaro {

class QtDialogs final : public Dialogs {
 public:
  explicit QtDialogs(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  void ShowMessage(const std::string& text) override;
  void ShowError(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  bool ConfirmWarning(const std::string& text) override;
  bool InputQuery(const std::string& caption, const std::string& prompt,
                  std::string& value) override;
  std::string OpenFileName(const std::string& caption, const std::string& folder,
                           const std::string& filter) override;
  std::string SaveFileName(const std::string& caption, const std::string& proposal,
                           const std::string& filter) override;

 private:
  QWidget* parent_;
};

// Engine texts are 8-bit Latin-1.
QString FromLatin1(const std::string& s);
std::string ToLatin1(const QString& s);

}  // namespace sondaro
