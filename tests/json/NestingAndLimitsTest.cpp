#include "NodeAccess.h"

#include "json/JSONLimits.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <exception>
#include <functional>
#include <string>

namespace {

// Runs the work on a thread with the 1 MiB stack a Windows thread gets by
// default, the smallest the library has to live with.
void RunOnSmallStack(const std::function<void()>& work) {
  struct Job {
    const std::function<void()>* work;
    std::exception_ptr failure;
  } job{&work, nullptr};
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, 1 << 20), 0);
  pthread_t thread;
  auto run = [](void* argument) -> void* {
    auto* job = static_cast<Job*>(argument);
    try {
      (*job->work)();
    } catch (...) {
      job->failure = std::current_exception();
    }
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
  if (job.failure)
    std::rethrow_exception(job.failure);
}

std::u16string NestedArrays(int32_t depth) {
  return std::u16string(static_cast<size_t>(depth), u'[') + u"1" +
         std::u16string(static_cast<size_t>(depth), u']');
}

std::u16string NestedObjects(int32_t depth) {
  std::u16string text;
  for (int32_t i = 0; i < depth; ++i)
    text += u"{\"a\":";
  text += u"true";
  text.append(static_cast<size_t>(depth), u'}');
  return text;
}

TEST(Nesting, DeepDocumentsLoadSearchShiftAndReleaseOnASmallStack) {
  const int64_t before = JSONInstanceCount;
  RunOnSmallStack([before] {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {NestedArrays(ujson::MaxNestingLevel), u"1"},
        {NestedObjects(ujson::MaxNestingLevel), u"true"}};
    for (const auto& [text, leaf] : cases) {
      JSONRef doc = JSONFromString(text);
      EXPECT_EQ(JSONInstanceCount - before, ujson::MaxNestingLevel + 1);
      JSONRef leafNode = doc->Find(leaf, 0);
      ASSERT_TRUE(leafNode);
      EXPECT_EQ(leafNode->GetLevel(), ujson::MaxNestingLevel);
      EXPECT_EQ(leafNode->GetValue(), leaf);
      const int32_t start = leafNode->GetTextStart();
      EXPECT_EQ(doc->FindByPosition(start), leafNode);
      doc->ShiftPositions(0, 5);
      EXPECT_EQ(leafNode->GetTextStart(), start + 5);
      doc->ShiftPositions(0, -5);
      EXPECT_EQ(leafNode->GetValue(), leaf);
    }
  });
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(Nesting, BeyondTheLimitTheLoadFailsNamingItAndLeavesNothingBehind) {
  const int64_t before = JSONInstanceCount;
  for (const std::u16string& text :
       {NestedArrays(ujson::MaxNestingLevel + 1), NestedObjects(ujson::MaxNestingLevel + 1)}) {
    try {
      RunOnSmallStack([&] { JSONFromString(text); });
      ADD_FAILURE() << "the load did not fail";
    } catch (const EJSONError& e) {
      EXPECT_STREQ(e.what(),
                   "The document is nested too deeply: more than 100000 levels are not supported");
    }
    EXPECT_EQ(JSONInstanceCount, before);
  }
  // An unterminated deep text fails the same way.
  EXPECT_THROW(JSONFromString(std::u16string(200000, u'[')), EJSONError);
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(Limits, TextsTooLongForThirtyTwoBitPositionsAreRefusedWithAClearMessage) {
  EXPECT_NO_THROW(ujson::CheckTextLength(ujson::MaxTextLength));
  try {
    ujson::CheckTextLength(int64_t{1} << 32);
    ADD_FAILURE() << "no failure";
  } catch (const EJSONError& e) {
    EXPECT_STREQ(e.what(), "The text is too long: 4294967296 characters, at most 2147483631 "
                           "are supported");
  }
}

} // namespace
