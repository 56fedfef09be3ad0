#include "viewer/StatusText.h"

#include "ViewerFixture.h"

#include "json/Regional.h"

namespace {

// Selects a decimal separator for one test and puts the previous one back.
class SeparatorScope {
public:
  explicit SeparatorScope(char16_t Separator) : previous_(ujson::DecimalSeparator()) {
    ujson::SelectDecimalSeparator(Separator);
  }
  SeparatorScope(const SeparatorScope&) = delete;
  SeparatorScope& operator=(const SeparatorScope&) = delete;
  ~SeparatorScope() { ujson::SelectDecimalSeparator(previous_); }

private:
  char16_t previous_;
};

std::u16string Seconds(uint32_t Milliseconds) {
  const std::u16string text = StatusText(Milliseconds, 0, u'.');
  const std::u16string head = u"Время разбора: ";
  return text.substr(head.size(), text.find(u' ', head.size()) - head.size());
}

TEST(StatusText, SecondsAreRoundedHalfUpToTenths) {
  EXPECT_EQ(Seconds(0), u"0.0");
  EXPECT_EQ(Seconds(49), u"0.0");
  EXPECT_EQ(Seconds(149), u"0.1");
  EXPECT_EQ(Seconds(150), u"0.2");
  EXPECT_EQ(Seconds(249), u"0.2");
  EXPECT_EQ(Seconds(250), u"0.3");
  EXPECT_EQ(Seconds(1049), u"1.0");
  EXPECT_EQ(Seconds(1250), u"1.3");
  EXPECT_EQ(Seconds(123456789), u"123456.8");
  // Adding the half must not wrap the largest count.
  EXPECT_EQ(Seconds(UINT32_MAX), u"4294967.3");
}

TEST(StatusText, TheWholeTextCarriesSeparatorAndSignedCount) {
  EXPECT_EQ(StatusText(0, 0, u','), u"Время разбора: 0,0 Элементов: 0");
  EXPECT_EQ(StatusText(1250, 12345678901, u','), u"Время разбора: 1,3 Элементов: 12345678901");
  EXPECT_EQ(StatusText(150, -7, u'.'), u"Время разбора: 0.2 Элементов: -7");
  EXPECT_EQ(StatusText(0, INT64_MIN, u'.'), u"Время разбора: 0.0 Элементов: -9223372036854775808");
}

TEST(StatusText, ElapsedTimeSurvivesAWrapOfTheTickCounter) {
  EXPECT_EQ(ElapsedTicks(100, 1350), 1250u);
  EXPECT_EQ(ElapsedTicks(0xFFFFFF00u, 0x000004E2u), 0x5E2u);
  EXPECT_EQ(ElapsedTicks(7, 7), 0u);
}

TEST_F(ViewerTest, LoadingShowsTheParseTimeWithTheRegionalSeparatorAcrossATickWrap) {
  SeparatorScope comma(u',');
  Open();
  app.SetTicks(0xFFFFFFFFu - 600);
  app.AdvanceTicksOnEachRead(1250);
  Paste(u"[1,2]");
  const std::u16string status = Status();
  EXPECT_EQ(status.substr(0, 19), u"Время разбора: 1,3 ");
  EXPECT_TRUE(Reports().empty());
}

TEST_F(ViewerTest, TheCountIncludesTheDocumentStillHeldWhileTheNextLoads) {
  const int64_t before = JSONInstanceCount;
  Open();
  Paste(u"[1,2,3]");   // 4 nodes
  Paste(u"{\"a\":1}"); // 2 nodes, read while the first is still held
  EXPECT_EQ(Status(), StatusText(0, before + 6, ujson::DecimalSeparator()));
  Paste(u"[]");
  EXPECT_EQ(Status(), StatusText(0, before + 3, ujson::DecimalSeparator()));
}

} // namespace
