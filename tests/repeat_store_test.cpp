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

TEST(RunStore, IdenticalRunsAreCountedUnderTheFirst) {
  RunStore store;
  EXPECT_TRUE(store.add("a\r\n", at(1)));
  EXPECT_FALSE(store.add("a\r\n", at(2)));
  EXPECT_FALSE(store.add("a\r\n", at(3)));
  EXPECT_TRUE(store.add("b\r\n", at(4)));
  EXPECT_FALSE(store.add("b\r\n", at(5)));
  EXPECT_TRUE(store.add("c\r\n", at(6)));
  ASSERT_EQ(store.size(), 3u);
  // Each entry: when its text first appeared, and the latest run that gave it.
  const size_t first[] = {1, 4, 6}, last[] = {3, 5, 6}, same[] = {3, 2, 1};
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(store.run(i).number, first[i]) << i;
    EXPECT_EQ(store.run(i).time, at(first[i]).time) << i;
    EXPECT_EQ(store.run(i).lastNumber, last[i]) << i;
    EXPECT_EQ(store.run(i).lastTime, at(last[i]).time) << i;
    EXPECT_EQ(store.run(i).same, same[i]) << i;
  }
  EXPECT_EQ(store.text(0), "a\r\n");
  EXPECT_EQ(store.text(1), "b\r\n");
}

TEST(RunStore, ATextPreparedElsewhereIsKeptAsIfAddedHere) {
  RunStore store;
  store.add("a\r\nb\r\n", at(1));
  // Prepared against the store as it is: kept with its edit.
  RunStore::Prepared next = RunStore::prepare("a\r\nB\r\n", store.basis());
  EXPECT_TRUE(store.add(std::move(next), at(2)));
  // Prepared, then the store moved on: prepared again when kept.
  RunStore::Prepared late = RunStore::prepare("a\r\nc\r\n", store.basis());
  RunStore::Prepared repeat = RunStore::prepare("a\r\nB\r\n", store.basis());
  EXPECT_TRUE(repeat.repeat);
  store.add("x\r\n", at(3));
  EXPECT_TRUE(store.add(std::move(late), at(4)));
  // A repeat of a text that is no longer the newest is a run of its own.
  EXPECT_TRUE(store.add(std::move(repeat), at(5)));
  const std::vector<std::string> want = {"a\r\nb\r\n", "a\r\nB\r\n", "x\r\n",
                                         "a\r\nc\r\n", "a\r\nB\r\n"};
  ASSERT_EQ(store.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(store.text(i), want[i]) << i;
  // After a clear, nothing prepared before counts as a repeat.
  RunStore::Prepared again = RunStore::prepare("a\r\nB\r\n", store.basis());
  store.clear();
  EXPECT_TRUE(store.add(std::move(again), at(6)));
  EXPECT_EQ(store.text(0), "a\r\nB\r\n");
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

// A text of about size bytes whose every line differs from those of any
// other n.
std::string wholly(size_t n, size_t size) {
  std::string t = "route print\r\n";
  for (size_t i = 0; t.size() < size; ++i)
    t += "run " + std::to_string(n) + " line " + std::to_string(i) +
         std::string(1000, static_cast<char>('a' + n % 26)) + "\r\n";
  return t;
}

TEST(RunStore, KeptRunsHoldAtMostTheirBytesTheOldestDroppedFirst) {
  struct Case {
    const char* what;
    size_t limit, runSize, runs;
  };
  const Case cases[] = {
      {"the program's own limit, runs of 1 MB", RunStore::kBytes, 1 << 20, 70},
      {"a small limit", 200 << 10, 30 << 10, 20},
  };
  for (const Case& c : cases) {
    RunStore store(RunStore::kRuns, c.limit);
    size_t most = 0;
    for (size_t n = 1; n <= c.runs; ++n) {
      store.add(wholly(n, c.runSize), at(n));
      most = std::max(most, store.bytes());
    }
    EXPECT_LE(most, c.limit) << c.what;
    // Nearly as many as the limit holds: the oldest went, not more.
    EXPECT_GT(store.bytes() + 2 * c.runSize + (c.runSize >> 2), c.limit) << c.what;
    EXPECT_EQ(store.size() + store.dropped(), c.runs) << c.what;
    EXPECT_GT(store.dropped(), 0u) << c.what;
    const size_t oldest = c.runs - store.size() + 1;
    EXPECT_EQ(store.run(0).number, oldest) << c.what;
    EXPECT_EQ(store.text(0), wholly(oldest, c.runSize)) << c.what;
    EXPECT_EQ(store.newest(), wholly(c.runs, c.runSize)) << c.what;
  }
  // A run larger than the limit alone is kept, alone.
  RunStore store(RunStore::kRuns, 100 << 10);
  store.add(wholly(1, 10 << 10), at(1));
  store.add(wholly(2, 300 << 10), at(2));
  ASSERT_EQ(store.size(), 1u);
  EXPECT_EQ(store.dropped(), 1u);
  EXPECT_EQ(store.text(0), wholly(2, 300 << 10));
}

}  // namespace
}  // namespace velquin::reading
