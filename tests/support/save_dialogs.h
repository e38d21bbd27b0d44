#pragma once
// Dialogs whose save dialog answers with a prepared file name and remembers
// what it was shown.
#include <string>
#include <vector>

#include "core/ports.h"

namespace sondaro::test {

class SaveDialogs : public SilentDialogs {
 public:
  struct Shown {
    std::string Proposal, Filter;
  };
  std::string SaveFileName(const std::string&, const std::string& proposal,
                           const std::string& filter) override {
    SaveShown.push_back({proposal, filter});
    return Answer;
  }
  std::string Answer;  // empty: the user cancels
  std::vector<Shown> SaveShown;
};

}  // namespace sondaro::test
