#include "net/families.h"

namespace velquin::net {

void addFamilies(NetPage& page, std::vector<std::unique_ptr<Family>>& out) {
  out.push_back(makeAccountCommands(page));
  out.push_back(makeUserCommands(page));
  out.push_back(makeGroupCommands(page));
  out.push_back(makeServiceCommands(page));
  out.push_back(makeShareCommands(page));
  out.push_back(makeViewCommands(page));
  out.push_back(makePrintCommand(page));
  out.push_back(makeConfigCommands(page));
  out.push_back(makeTimeCommands(page));
}

}  // namespace velquin::net
