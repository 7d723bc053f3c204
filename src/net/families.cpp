#include "net/families.h"

namespace velquin::net {

void addFamilies(NetPage& page, std::vector<std::unique_ptr<Family>>& out) {
  out.push_back(makeAccountCommands(page));
}

}  // namespace velquin::net
