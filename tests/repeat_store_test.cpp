// The kept runs of a repetition: each rebuilt from the differences byte for
// byte, identical runs counted instead of kept, the limit, and what they
// cost.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reading/run_store.h"

namespace velquin::reading {
namespace {

KeptRun at(size_t n) { return {"09:30:" + std::to_string(10 + n), n, 0, 1, false}; }

TEST(RunStore, EveryKeptRunComesBackByteForByte) {
  const std::vector<std::string> runs = {
      "netstat -an\r\n  TCP 0.0.0.0:135 LISTENING\r\n  TCP 0.0.0.0:445 LISTENING\r\n",
      "netstat -an\r\n  TCP 0.0.0.0:135 LISTENING\r\n  TCP 10.0.0.5:49152 確立\r\n"
      "  TCP 0.0.0.0:445 LISTENING\r\n",
      // Line ends changed, not the words: kept as they came.
      "netstat -an\n  TCP 0.0.0.0:135 LISTENING\n  TCP 10.0.0.5:49152 確立\r"
      "  TCP 0.0.0.0:445 LISTENING",
      "",
      "netstat -an\r\n",
      "\r\n\r\n\r",
      "netstat -an\r\n\xff\xfe\r\nend",
      "netstat -an\r\n  TCP 0.0.0.0:135 LISTENING\r\n  TCP 0.0.0.0:445 LISTENING\r\n",
  };
  RunStore store;
  for (size_t i = 0; i < runs.size(); ++i) EXPECT_TRUE(store.add(runs[i], at(i)));
  ASSERT_EQ(store.size(), runs.size());
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(store.text(i), runs[i]) << i;
    EXPECT_EQ(store.run(i).number, i);
  }
  std::vector<size_t> seen;
  store.eachNewestFirst([&](size_t i, const std::string& text) {
    EXPECT_EQ(text, runs[i]) << i;
    seen.push_back(i);
  });
  EXPECT_EQ(seen, (std::vector<size_t>{7, 6, 5, 4, 3, 2, 1, 0}));
}

TEST(RunStore, IdenticalRunsAreCountedByTheNewest) {
  RunStore store;
  EXPECT_TRUE(store.add("a\r\n", at(1)));
  EXPECT_FALSE(store.add("a\r\n", at(2)));
  EXPECT_FALSE(store.add("a\r\n", at(3)));
  EXPECT_TRUE(store.add("b\r\n", at(4)));
  EXPECT_FALSE(store.add("b\r\n", at(5)));
  ASSERT_EQ(store.size(), 2u);
  EXPECT_EQ(store.run(0).same, 3u);
  EXPECT_EQ(store.run(0).number, 3u);
  EXPECT_EQ(store.run(0).time, at(3).time);
  EXPECT_EQ(store.run(1).same, 2u);
  EXPECT_EQ(store.run(1).number, 5u);
  EXPECT_EQ(store.text(0), "a\r\n");
}

TEST(RunStore, TheOldestGoFirstPastTheLimit) {
  RunStore store(1000);
  std::string text = "route print\r\n";
  for (int i = 0; i < 200; ++i) text += "line " + std::to_string(i) + "\r\n";
  auto runText = [&](size_t n) {
    std::string t = text;
    t.replace(t.find("line 100"), 8, "line x" + std::to_string(n));
    return t;
  };
  for (size_t n = 1; n <= 1003; ++n) store.add(runText(n), at(n));
  ASSERT_EQ(store.size(), 1000u);
  EXPECT_EQ(store.dropped(), 3u);
  EXPECT_EQ(store.run(0).number, 4u);
  EXPECT_EQ(store.text(0), runText(4));
  EXPECT_EQ(store.text(500), runText(504));
  EXPECT_EQ(store.newest(), runText(1003));
  // One whole text and a line or so for every other run.
  EXPECT_LT(store.bytes(), text.size() + 1000 * 400);
  store.clear();
  EXPECT_EQ(store.size(), 0u);
  EXPECT_EQ(store.dropped(), 0u);
}

}  // namespace
}  // namespace velquin::reading
