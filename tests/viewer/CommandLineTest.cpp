#include "viewer/CommandLine.h"
#include "viewer/memory/MemoryApplication.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLine, TheFirstArgumentFollowsTheProgramsItem) {
  EXPECT_EQ(FirstCommandLineArgument(u""), u"");
  EXPECT_EQ(FirstCommandLineArgument(u"totalcmd64.exe"), u"");
  EXPECT_EQ(FirstCommandLineArgument(u"totalcmd64.exe   "), u"");
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe /O /S"), u"/O");
  EXPECT_EQ(FirstCommandLineArgument(u"\"C:\\Program Files\\tc.exe\" \"D:\\my docs\\a.json\" x"),
            u"D:\\my docs\\a.json");
  // Tabs and other control characters separate items too.
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe\t\x01\x1f"
                                     u"arg"),
            u"arg");
  // A pair of quotes where an item would begin is skipped, not taken as an empty item.
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe \"\" next"), u"next");
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe \"\"\"\" next"), u"next");
  // Quoted stretches join their neighbours and keep their blanks.
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe a\"b c\"d e"), u"ab cd");
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe \"unterminated arg"), u"unterminated arg");
  // A zero ends the line.
  EXPECT_EQ(FirstCommandLineArgument(std::u16string(u"tc.exe \0hidden", 14)), u"");
  EXPECT_EQ(FirstCommandLineArgument(u"tc.exe \u0416\u0436.json"), u"\u0416\u0436.json");
}

TEST(CommandLine, OnlyExistingRegularFilesEndingInJsonAreLoaded) {
  tkmem::MemoryApplication app;
  app.AddRegularFile(u"C:\\data\\a.json");
  app.AddRegularFile(u"C:\\data\\B.JSON");
  app.AddRegularFile(u"C:\\data\\c.Json");
  app.AddRegularFile(u"C:\\data\\notes.txt");
  app.AddRegularFile(u"C:\\data\\x.json.bak");
  EXPECT_TRUE(IsJsonFileToLoad(u"C:\\data\\a.json", app));
  EXPECT_TRUE(IsJsonFileToLoad(u"C:\\data\\B.JSON", app));
  EXPECT_TRUE(IsJsonFileToLoad(u"C:\\data\\c.Json", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"C:\\data\\notes.txt", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"C:\\data\\x.json.bak", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"C:\\data\\missing.json", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"/O", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"", app));
  EXPECT_FALSE(IsJsonFileToLoad(u"json", app));
}

} // namespace
