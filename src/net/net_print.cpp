// net print (15): the queue of a shared printer on a computer, or one job
// in it held, released or deleted. Every operation names the queue.

#include <string>

#include "net/families.h"

namespace velquin::net {

namespace {

constexpr const char* kComputer = "コンピュータ名";
constexpr const char* kPrinter = "共有プリンタ名";
constexpr const char* kJob = "ジョブ番号";

// What operations 1 to 3 write after the job number.
constexpr const char* kJobSwitches[] = {" /hold", " /release", " /delete"};

class PrintCommand : public Family {
 public:
  explicit PrintCommand(NetPage& page) : area_(page.area()) {
    page.bind(15, {.check = [this] { Act_CB_Net_15Execute(); },
                   .change = [this] { Act_NetCMB_15Execute(); },
                   .build = [this] { Act_btnNet_Set15Execute(); }});
  }

  // The queue is asked for at once; the job field waits for an operation
  // that needs it.
  void Act_CB_Net_15Execute() {
    area_.listOperations({"印刷キューの表示", "印刷キューの待機",
                          "印刷キューの再開", "印刷キューの削除"});
    area_.Edit_net2.setText(kComputer);
    area_.Edit_net3.setText(kPrinter);
    area_.Edit_net1.setVisible(false);
    area_.Edit_net2.setVisible(true);
    area_.Edit_net3.setVisible(true);
    area_.Edit_net4.setVisible(false);
  }

  // Any change of operation puts all three placeholders back.
  void Act_NetCMB_15Execute() {
    area_.Edit_net2.setText(kComputer);
    area_.Edit_net3.setText(kPrinter);
    area_.Edit_net4.setText(kJob);
    area_.Edit_net2.setVisible(true);
    area_.Edit_net3.setVisible(true);
    area_.Edit_net4.setVisible(false);
    const int op = area_.operation();
    if (op == 1 || op == 2 || op == 3) area_.Edit_net4.setVisible(true);
  }

  void Act_btnNet_Set15Execute() {
    const int op = area_.operation();
    if (op == 0) {
      if (!queueNamed()) {
        area_.message("コンピュータ名と共有プリンタ名を入力して下さい。");
        return;
      }
      area_.writeLine(queue());
    }
    for (int job = 1; job <= 3; ++job) {
      if (op != job) continue;
      // One message for all three fields, the computer name included.
      if (!queueNamed() || !OptionArea::filled(area_.Edit_net4, kJob)) {
        area_.message("共有プリンタ名とジョブ番号等を入力して下さい。");
        return;
      }
      area_.writeLine(queue() + " " + area_.Edit_net4.text() +
                      kJobSwitches[job - 1]);
    }
  }

 private:
  bool queueNamed() const {
    return OptionArea::filled(area_.Edit_net2, kComputer) &&
           OptionArea::filled(area_.Edit_net3, kPrinter);
  }
  // The computer is typed without backslashes; they are added here.
  std::string queue() const {
    return "net print \\\\" + area_.Edit_net2.text() + "\\" +
           area_.Edit_net3.text();
  }

  OptionArea& area_;
};

}  // namespace

std::unique_ptr<Family> makePrintCommand(NetPage& page) {
  return std::make_unique<PrintCommand>(page);
}

}  // namespace velquin::net
