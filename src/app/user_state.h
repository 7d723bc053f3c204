#pragma once
// The program's own file beside the settings file, Velquin.state: what the
// user chose that is not one of the settings file's five lines (named
// values) and lists kept across starts (rows of fields, such as the command
// history). UTF-8, one record a line:
//
//   Velquin state 1
//   =<TAB>name<TAB>value
//   <list name><TAB>field<TAB>field...
//
// with backslash, tab, CR and LF inside a field written as \\ \t \r \n, so
// any text comes back exactly (a UTF-8 byte order mark that an editor put
// in front is passed over). The file is replaced in one step; a file that
// cannot be read as this format is kept aside as Velquin.state.bad and the
// program starts with an empty state, without a word to the user.
//
// Several windows of the program share the file: each write holds the
// folder's lock across the instances, reads the file again and keeps what
// the others wrote since (values and lists this window did not set, rows of
// shared lists merged by their owners), and a file that exists but cannot
// be read is never written over.

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace velquin::app {

inline constexpr const char* kStateFile = "Velquin.state";
inline constexpr const char* kStateAside = "Velquin.state.bad";

using StateRow = std::vector<std::string>;

struct StateData {
  std::map<std::string, std::string, std::less<>> values;
  std::map<std::string, std::vector<StateRow>, std::less<>> lists;
  bool operator==(const StateData&) const = default;
};

std::string encodeState(const StateData& data);
// Nothing when the bytes are not a whole file of this format (a wrong first
// line, a bad escape, a value record without its two fields, text that is
// not UTF-8).
std::optional<StateData> decodeState(std::string_view bytes);

// A list that every window of the program keeps in the same file, such as
// the command history: its owner merges the rows on disk with its own.
class SharedList {
 public:
  virtual ~SharedList() = default;
  // The rows to write, given the rows on disk now.
  virtual std::vector<StateRow> merge(const std::vector<StateRow>& onDisk) = 0;
};

class UserState {
 public:
  explicit UserState(platform::Platform& os) : os_(os) {}

  // Reads Velquin.state in the folder; no file is an empty state.
  void load(const std::string& folder);
  // How long a write waits for another instance that holds the lock.
  static constexpr int kLockWaitMs = 2000;
  // Writes while a repetition runs come at most this often.
  static constexpr int64_t kHeldGapMs = 5000;

  // Writes the file, once load has named the folder, merged with what is
  // in it now; nothing when it cannot be read or another instance holds
  // the lock past the wait (what this window has goes at its next write).
  platform::IoResult save();
  // A write that may wait while writes are held: at once when they are
  // not, or when the last was kHeldGapMs ago or more; else at the release.
  void saveSoon();
  // Held while a command runs again and again, so that a run every half
  // second does not write the whole file each time; the release writes
  // what waits.
  void holdWrites(bool held);

  std::string value(std::string_view name, std::string_view fallback = "") const;
  void setValue(std::string name, std::string value);
  bool flag(std::string_view name, bool fallback = false) const;
  void setFlag(std::string name, bool on);
  const std::vector<StateRow>& list(std::string_view name) const;
  void setList(std::string name, std::vector<StateRow> rows);
  // The list of that name is the owner's, merged at every write.
  void share(std::string name, SharedList& owner);

 private:
  static const std::vector<StateRow>& list(std::string_view name,
                                           const StateData& data);

  platform::Platform& os_;
  std::string folder_;
  bool loaded_ = false;
  bool held_ = false;
  bool waiting_ = false;        // a write held back
  int64_t lastWrite_ = -1;      // steady time of the last write tried
  StateData data_;
  // What this window set, which goes over what the file holds.
  std::set<std::string, std::less<>> setValues_, setLists_;
  std::map<std::string, SharedList*, std::less<>> shared_;
};

}  // namespace velquin::app
