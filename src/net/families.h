#pragma once
// The families of net sub-commands, each in its own unit. A family declares
// its option pages and binds its sub-commands' handlers on the page.

#include <memory>
#include <vector>

#include "net/net_page.h"

namespace velquin::net {

// Builds every family in the order of its sub-commands.
void addFamilies(NetPage& page, std::vector<std::unique_ptr<Family>>& out);

std::unique_ptr<Family> makeAccountCommands(NetPage& page);  // 01, 02
std::unique_ptr<Family> makeUserCommands(NetPage& page);     // 03
std::unique_ptr<Family> makeGroupCommands(NetPage& page);    // 04, 05
std::unique_ptr<Family> makeServiceCommands(NetPage& page);  // 06 to 09
std::unique_ptr<Family> makeShareCommands(NetPage& page);    // 10, 11
std::unique_ptr<Family> makeViewCommands(NetPage& page);     // 12 to 14
std::unique_ptr<Family> makePrintCommand(NetPage& page);     // 15
std::unique_ptr<Family> makeConfigCommands(NetPage& page);   // 16 to 19
std::unique_ptr<Family> makeTimeCommands(NetPage& page);     // 20 to 22

}  // namespace velquin::net
