// The one save-dialog rule: what counts as an extension, and the question
// before a name the dialog never showed replaces a file.
#include "core/save_dialog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "support/save_dialogs.h"
#include "support/temp_dir.h"

namespace sondaro {
namespace {

TEST(SaveDialog, WhatCountsAsAnExtension) {
  const struct {
    const char* name;
    bool has;
  } cases[] = {
      {"/d/chart.jpg", true},         {"/d/a.mp3", true},          {"/d/x.tar.gz", true},
      {"/d/chart", false},            {"/d/RDS  98.50 MHz", false}, {"/d/Report 98.50", false},
      {"/d/name.", false},            {"/d/.hidden", false},       {"/d.x/chart", false},
      {"/d/Raw RDS Data 101.30 MHz.txt", true},                    {"chart.BMP", true},
  };
  for (const auto& c : cases) EXPECT_EQ(HasFileExtension(c.name), c.has) << c.name;
}

TEST(SaveDialog, AddsTheDefaultExtensionAndAsksBeforeReplacing) {
  test::TempDir dir;
  test::SaveDialogs dialogs;
  dialogs.Answer = dir / "RDS  98.50 MHz";
  EXPECT_EQ(AskSaveName(dialogs, "", dir.Path(), "Text file (*.txt)", "txt"),
            dir / "RDS  98.50 MHz.txt");
  EXPECT_TRUE(dialogs.Messages.empty()) << "nothing to replace";

  std::ofstream(dir / "RDS  98.50 MHz.txt") << "x";
  dialogs.ConfirmAnswer = false;
  EXPECT_EQ(AskSaveName(dialogs, "", dir.Path(), "Text file (*.txt)", "txt"), "");
  ASSERT_EQ(dialogs.Messages.size(), 1u);
  EXPECT_EQ(dialogs.Messages[0], dir / "RDS  98.50 MHz.txt already exists.\nDo you want to replace it?");
  dialogs.ConfirmAnswer = true;
  EXPECT_EQ(AskSaveName(dialogs, "", dir.Path(), "Text file (*.txt)", "txt"),
            dir / "RDS  98.50 MHz.txt");

  // A name with its extension was the dialog's own to confirm.
  dialogs.Messages.clear();
  dialogs.Answer = dir / "RDS  98.50 MHz.txt";
  EXPECT_EQ(AskSaveName(dialogs, "", dir.Path(), "Text file (*.txt)", "txt"), dialogs.Answer);
  EXPECT_TRUE(dialogs.Messages.empty());
  dialogs.Answer.clear();
  EXPECT_EQ(AskSaveName(dialogs, "", dir.Path(), "Text file (*.txt)", "txt"), "");
}

}  // namespace
}  // namespace sondaro
