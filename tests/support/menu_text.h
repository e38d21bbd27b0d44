#pragma once
// Menu texts as read, without their mnemonic marker: "Save &Bitmap" is
// "Save Bitmap".
#include <QAction>
#include <QString>

namespace sondaro::test {

inline QString MenuText(const QAction* a) {
  QString t = a->text();
  for (qsizetype i = 0; i < t.size(); ++i)
    if (t[i] == '&') t.remove(i, 1);  // "&&" keeps one
  return t;
}

}  // namespace sondaro::test
