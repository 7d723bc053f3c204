#include "help/usage_texts.h"

namespace velquin::help {
namespace {

// Each text is kept line by line, so that leading and trailing blanks and
// tabs stand where the reader sees them.

constexpr const char* kIpconfig[] = {
    "   ipconfig [/? | /all | /release [adapter] | /renew [adapter] ",
    "            | /flushdns | /displaydns | /registerdns",
    "            | /showclassid adapter | /setclassid adapter [classid] ]",
    "",
    "   adapter       Name of a connection as ipconfig lists it; the",
    "                 wildcards * and ? may stand for any part of it.",
    "",
    "Options:",
    "   /?            Shows this usage text.",
    "   /all          Shows every detail of the configuration of each adapter.",
    "   /release      Gives back the IP address that DHCP leased to the adapter.",
    "   /renew        Asks DHCP to renew the IP address of the adapter.",
    "   /flushdns     Empties the cache of the DNS resolver.",
    "   /registerdns  Renews every DHCP lease and registers the DNS names again.",
    "   /displaydns   Shows what the cache of the DNS resolver holds.",
    "   /showclassid  Shows the DHCP class IDs allowed for the adapter.",
    "   /setclassid   Sets the DHCP class ID of the adapter.",
    "",
    "Without options ipconfig shows the IP address, the subnet mask and the",
    "default gateway of each adapter bound to TCP/IP.",
    "",
    "/release and /renew without an adapter name act on every adapter bound",
    "to TCP/IP.",
    "",
    "/setclassid without a class ID removes the class ID of the adapter.",
    "",
    "Examples:",
    "   > ipconfig                  ... the basic settings of each adapter",
    "   > ipconfig /all             ... every setting of each adapter",
    "   > ipconfig /renew           ... renews the leases of all adapters",
    "   > ipconfig /renew EL*       ... adapters whose names begin with EL",
    "   > ipconfig /release *Con*   ... adapters with Con in their names",
    "   > ipconfig /setclassid \"Local Area Connection\" TEST  ... class ID TEST",
};

constexpr const char* kPing[] = {
    "Usage: ping [-t] [-a] [-n count] [-l size] [-f] [-i TTL] [-v TOS]",
    "            [-r count] [-s count] [[-j host-list] | [-k host-list]]",
    "            [-w timeout] target_name",
    "",
    "Options:",
    "    -t             Pings the target until it is stopped: Ctrl-C ends it,",
    "                   Ctrl-Break shows the statistics so far and goes on.",
    "    -a             Resolves the addresses to host names.",
    "    -n count       Number of echo requests to send (4 when not given).",
    "    -l size        Size of the data sent with each request (32 bytes).",
    "    -f             Sets the Don't Fragment flag in the packet.",
    "    -i TTL         Time To Live of the packet.",
    "    -v TOS         Type Of Service of the packet.",
    "    -r count       Records the route of up to count hops (1 to 9).",
    "    -s count       Time stamp of up to count hops (1 to 4).",
    "    -j host-list   Loose source route along the hosts of host-list.",
    "    -k host-list   Strict source route along the hosts of host-list.",
    "    -w timeout     Time to wait for each reply, in milliseconds.",
    "    target_name    Host name or IP address of the target.",
};

// The headings are set off by an ideographic space.
constexpr const char* kNetstat[] = {
    "netstat \t\u3000ネットワーク統計情報の表示 \t(標準)",
    "",
    "\u3000構文",
    "netstat [-a] [-e] [-n] [-o] [-s] [-p proto] [-r] [interval]",
    "",
    "\u3000オプション",
    "-a\t\tすべての接続と、待ち受け中のポートを表示する",
    "-e\t\tイーサネットの統計を表示する（-s と組み合わせられる）",
    "-n\t\tアドレスとポート番号を名前に変えず、数値のまま表示する",
    "-o\t\t接続ごとに、それを持つプロセスの ID を表示する",
    "-s\t\tプロトコルごとの統計を表示する",
    "-p proto\t\tproto（TCP、UDP など）の接続だけを表示する。-s と共に使うと、そのプロトコルの統計を表示する",
    "-r\t\tルーティング テーブルを表示する（route print と同じ）",
    "interval\t\t指定した秒数ごとに表示し直す。Ctrl+C で止まる",
    "",
    "\u3000利用環境",
    "Windows 95/98/Me、Windows NT/2000/XP 以降（-o は XP 以降）",
    "",
    "\u3000説明",
    "TCP/IP の接続の一覧とプロトコルの統計情報を表示する。オプションがなければ、確立している TCP 接続だけを表示する。",
    "",
    "\u3000使用例",
    "netstat -an\t\tすべての接続とポートを数値で表示する",
    "netstat -e -s 5\t\t5 秒ごとにイーサネットとプロトコルの統計を表示する",
};

constexpr const char* kNbtstat[] = {
    "NBTSTAT [ [-a RemoteName] [-A IP address] [-c] [-n] [-r] [-R] [-RR] [-s] [-S] [interval] ]",
    "",
    "  -a   (adapter status)  Lists the name table of a remote computer given by its name.",
    "  -A   (Adapter status)  Lists the name table of a remote computer given by its IP address.",
    "  -c   (cache)           Lists the cache of remote names with their IP addresses.",
    "  -n   (names)           Lists the local NetBIOS names.",
    "  -r   (resolved)        Lists the names resolved by broadcast and by WINS.",
    "  -R   (Reload)          Empties the remote name cache and loads it again from LMHOSTS.",
    "  -S   (Sessions)        Lists the sessions, the remote computers by their IP addresses.",
    "  -s   (sessions)        Lists the sessions, the remote computers by their names.",
    "  -RR  (ReleaseRefresh)  Releases the names registered with WINS, then registers them again.",
    "",
    "  RemoteName   Name of the remote computer.",
    "  IP address   Address of the remote computer in dotted decimal form.",
    "  interval     Shows the figures again every interval seconds;",
    "               Ctrl+C stops it.",
    "",
    "The switches are case sensitive: -a and -A, -r and -R, -s and -S differ.",
    "Without a switch nbtstat shows this usage text.",
};

constexpr const char* kRoute[] = {
    "ROUTE [-f] [-p] [command [destination] [MASK netmask] [gateway] [METRIC metric] [IF interface]",
    "",
    "  Works on the routing table of the network.",
    "",
    "  -f           Clears every gateway entry from the routing table. Given",
    "               with one of the commands, it clears the table before the",
    "               command runs.",
    "",
    "  -p           With ADD the new route is persistent: it stays when the",
    "               system starts again. Without -p a route lasts until the",
    "               next start. With PRINT the persistent routes are listed",
    "               as well. Every other command ignores it. Persistent",
    "               routes are kept in the registry under",
    "               HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\PersistentRoutes",
    "",
    "  command      One of:",
    "                 PRINT     Shows routes",
    "                 ADD       Adds a route",
    "                 DELETE    Removes routes",
    "                 CHANGE    Changes an existing route",
    "  destination  Host or network that the route leads to.",
    "  MASK         Says that the next value is the netmask.",
    "  netmask      Subnet mask that goes with the route. Without it the",
    "               mask is 255.255.255.255, a route to one host.",
    "  gateway      Address of the gateway that leads to the destination.",
    "  interface    Number of the interface that the route uses.",
    "  METRIC       Cost of the route, from 1 to 9999. Of two routes to the",
    "               same destination, the one with the lower cost is used.",
    "",
    "  A name given as destination is looked up in the NETWORKS file, a name",
    "  given as gateway in the HOSTS file.",
    "",
    "  PRINT and DELETE accept wildcards in the destination and the gateway:",
    "  * stands for any text and ? for any one character. Destinations such",
    "  as 157.*.1, 157.*, 127.* or *224* are allowed.",
    "",
    "  A destination and its netmask must fit together: a route whose",
    "  destination has a bit set outside the netmask is refused.",
    "",
    "  When no interface is given, the system takes the interface through",
    "  which the gateway is reached.",
    "",
    "Examples:",
    "",
    "  Show the whole routing table:",
    "      > route PRINT",
    "",
    "  Show the table with the list of persistent routes:",
    "      > route -p PRINT",
    "",
    "  Show only the routes to networks that begin with 10.:",
    "      > route PRINT 10.*",
    "",
    "  Show the routes of the 192.168. networks:",
    "      > route PRINT 192.168.*",
    "",
    "  Add a route to the network 157.0.0.0 through the gateway 157.55.80.1:",
    "      > route ADD 157.0.0.0 MASK 255.0.0.0  157.55.80.1 METRIC 3 IF 2",
    "              destination^      ^netmask   ^gateway     metric^    ^",
    "                                                          interface^",
    "",
    "  The same route, kept when the system starts again:",
    "      > route -p ADD 157.0.0.0 MASK 255.0.0.0  157.55.80.1 METRIC 3 IF 2",
    "",
    "  A route to one host (the netmask 255.255.255.255 is taken):",
    "      > route ADD 10.20.30.40 10.0.0.1",
    "",
    "  Without IF the system chooses the interface for the gateway:",
    "      > route ADD 172.16.0.0 MASK 255.240.0.0 192.168.0.254",
    "",
    "  A default route through the gateway 192.168.1.1:",
    "      > route ADD 0.0.0.0 MASK 0.0.0.0 192.168.1.1 METRIC 1",
    "",
    "  Change the gateway and the cost of an existing route:",
    "      > route CHANGE 157.0.0.0 MASK 255.0.0.0 157.55.80.5 METRIC 2 IF 2",
    "",
    "  CHANGE changes only the gateway and the metric; to move a route to",
    "  another destination, delete it and add it again.",
    "",
    "  Delete a route:",
    "      > route DELETE 157.0.0.0",
    "",
    "  Delete every route to a network that begins with 10.:",
    "      > route DELETE 10.*",
    "",
    "  Empty the table, then add one route:",
    "      > route -f ADD 192.168.1.0 MASK 255.255.255.0 192.168.1.1",
    "",
    "  A netmask that does not fit the destination is refused:",
    "      > route ADD 10.1.2.0 MASK 255.255.0.0 10.1.0.1",
    "      (10.1.2.0 has bits set outside 255.255.0.0: nothing is added)",
    "",
    "  Adding, changing and deleting routes may need a command prompt",
    "  started as administrator.",
    "",
    "  Routes added without -p are lost when the system starts again;",
    "  route PRINT shows the table after each change.",
};

constexpr const char* kTracert[] = {
    "C:\\>tracert",
    "",
    "Usage: tracert [-d] [-h maximum_hops] [-j host-list] [-w timeout] target_name",
    "",
    "Options:",
    "    -d                 Does not resolve the addresses to host names.",
    "    -h maximum_hops    Largest number of hops on the way to the target.",
    "    -j host-list       Loose source route along the hosts of host-list.",
    "    -w timeout         Waits timeout milliseconds for each reply.",
};

}  // namespace

std::span<const char* const> usageLines(int item) {
  switch (item) {
    case 0: return kIpconfig;
    case 1: return kPing;
    case 2: return kNetstat;
    case 3: return kNbtstat;
    case 4: return kRoute;
    case 5: return kTracert;
    default: return {};
  }
}

std::string usageText(int item) {
  std::string text;
  const std::span<const char* const> lines = usageLines(item);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) text += "\r\n";
    text += lines[i];
  }
  return text;
}

}  // namespace velquin::help
