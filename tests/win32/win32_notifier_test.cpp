#include "platform/win32/win32_notifier.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "program/messages.h"

namespace rizarode {
namespace {

Notice GermanNotice(const std::string& file) {
  Notice notice;
  notice.title = NoticeTitle("D");
  notice.text = SavedAsPdfNotice("D", 1, file);
  notice.file = file;
  notice.openLabel = OpenPdfLabel("D");
  notice.statusWindowLabel = StatusWindowLabel("D");
  return notice;
}

// The shell's fields are fixed arrays: a long list of files is cut with an
// ellipsis, never past the field, and CR becomes the balloon's line break.
TEST(Win32NotifierTest, TheBalloonCarriesTheNoticeWithinTheShellsFields) {
  NOTIFYICONDATAA data{};
  ComposeTrayBalloon(GermanNotice("C:\\VELDRAK\\PDF\\a.pdf"), data);
  EXPECT_EQ(data.uFlags & NIF_INFO, static_cast<UINT>(NIF_INFO));
  EXPECT_STREQ(data.szInfoTitle, "Drucken aus VELDRAK");
  EXPECT_STREQ(data.szTip, "Drucken aus VELDRAK");
  EXPECT_STREQ(data.szInfo, "Der Druckauftrag wurde als PDF gespeichert:\nC:\\VELDRAK\\PDF\\a.pdf");

  std::string files;
  for (int i = 0; i < 20; ++i) files += "C:\\VELDRAK\\PDF\\RIZARODE-20261209-1200" + std::to_string(i) + ".pdf\r";
  NOTIFYICONDATAA longer{};
  ComposeTrayBalloon(GermanNotice(files), longer);
  const std::size_t shown = std::strlen(longer.szInfo);
  EXPECT_EQ(shown, sizeof longer.szInfo - 1);
  EXPECT_STREQ(longer.szInfo + shown - 3, "...");
}

// Opening is offered, in the run's language, only when there is a document.
TEST(Win32NotifierTest, TheMenuOffersThePdfOnlyWhenThereIsOne) {
  for (const std::string file : {"C:\\PDF\\a.pdf", ""}) {
    HMENU menu = ComposeTrayMenu(GermanNotice(file));
    ASSERT_NE(menu, nullptr);
    char label[64] = {};
    GetMenuStringA(menu, kTrayOpenCommand, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "PDF \xF6" "ffnen");
    GetMenuStringA(menu, kTrayStatusWindowCommand, label, sizeof label, MF_BYCOMMAND);
    EXPECT_STREQ(label, "Statusfenster");
    const UINT state = GetMenuState(menu, kTrayOpenCommand, MF_BYCOMMAND);
    EXPECT_EQ((state & MF_GRAYED) != 0, file.empty()) << file;
    EXPECT_EQ(GetMenuState(menu, kTrayStatusWindowCommand, MF_BYCOMMAND) & MF_GRAYED, 0u);
    DestroyMenu(menu);
  }
}

TEST(Win32NotifierTest, TheMenusStatusWindowEntryBringsTheWindow) {
  int shown = 0;
  Win32Notifier notifier([&] { ++shown; });
  notifier.Show(GermanNotice(""));
  notifier.Command(kTrayStatusWindowCommand);
  notifier.Command(kTrayOpenCommand);  // no document: nothing happens
  EXPECT_EQ(shown, 1);
}

}  // namespace
}  // namespace rizarode
