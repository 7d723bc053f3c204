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
// Several windows of the program share the file: each write reads it
// again and keeps what the others wrote since (values and lists this
// window did not set, rows of shared lists merged by their owners), and a
// file that exists but cannot be read is never written over.

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
  // The file now holds these rows of the list.
  virtual void written(const std::vector<StateRow>& rows) = 0;
};

class UserState {
 public:
  explicit UserState(platform::Platform& os) : os_(os) {}

  // Reads Velquin.state in the folder; no file is an empty state.
  void load(const std::string& folder);
  // Writes the file, once load has named the folder, merged with what is
  // in it now; nothing when it cannot be read.
  platform::IoResult save();

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
  StateData data_;
  // What this window set, which goes over what the file holds.
  std::set<std::string, std::less<>> setValues_, setLists_;
  std::map<std::string, SharedList*, std::less<>> shared_;
};

}  // namespace velquin::app
