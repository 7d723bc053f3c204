#include "net/families.h"

namespace velquin::net {

void addFamilies(NetPage& page, std::vector<std::unique_ptr<Family>>& out) {
  out.push_back(makeAccountCommands(page));
  out.push_back(makeUserCommands(page));
  out.push_back(makeGroupCommands(page));
  out.push_back(makeServiceCommands(page));
  out.push_back(makeShareCommands(page));
}

}  // namespace velquin::net
