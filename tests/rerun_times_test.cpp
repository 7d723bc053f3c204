// A run that repeats the last one word for word still is a run of its own:
// the output view's line times, selection and copy with times are the new
// run's, even when the text it shows is the same.
#include "form/line_times.h"
#include "form/output_doc.h"
#include "support/app_fixture.h"

namespace velquin::test {
namespace {

class RerunTimes : public AppTest {
 protected:
  void run(const std::string& line, const std::string& at) {
    os.setLocalTime(at);
    form().userSelectPage((*this)["PageControl1"], 0);
    type("Edit1", line);
    click("btnDO");
  }
  form::OutputDoc& doc() { return *(*this)["Memo0"].outputDoc(); }
};

TEST_F(RerunTimes, TheSameTextAgainStartsTheTimesAfresh) {
  run("no-such-program-velquin", "2024/05/01 09:30:00");
  const std::string first = text("Memo0");
  form::OutputText& t = doc().text();
  t.select(0, 2);
  run("no-such-program-velquin", "2024/05/01 10:45:07");
  ASSERT_EQ(text("Memo0"), first);  // the very same text
  ASSERT_TRUE(doc().times().has(0));
  EXPECT_EQ(form::LineTimes::format(doc().times().at(0)), "10:45:07.000");
  EXPECT_FALSE(t.hasSelection());
  EXPECT_EQ(form::linesWithTimes(t, doc().times(), 0, 0).substr(0, 13),
            "10:45:07.000\t");
}

}  // namespace
}  // namespace velquin::test
