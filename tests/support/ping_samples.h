#pragma once
// The sample outputs of ping (tests/samples/ping, as bytes in their code
// pages) and the figures that each must give, one line per target.

namespace velquin::test {

struct PingSample {
  const char* file;
  const char* figures;
};

inline constexpr PingSample kPingSamples[] = {
    {"ja-ipv4.txt",
     "192.168.1.1  送信 9  受信 6  損失 3 (33.3%)  最小 0 ms  平均 3.7 ms  最大 12 ms  "
     "ジッター 6.0 ms"},
    {"ja-name-ttl.txt",
     "www.example.jp [203.0.113.7]  送信 4  受信 3  損失 1 (25.0%)  最小 17 ms  平均 18.7 ms  "
     "最大 21 ms  ジッター 3.5 ms"},
    {"ja-ipv6.txt",
     "2001:db8::1  送信 3  受信 2  損失 1 (33.3%)  最小 0 ms  平均 2.5 ms  最大 5 ms  "
     "ジッター 5.0 ms"},
    {"en-ipv4.txt",
     "10.0.0.1  送信 5  受信 3  損失 2 (40.0%)  最小 0 ms  平均 335.7 ms  最大 1000 ms  "
     "ジッター 503.5 ms"},
    // The cable pulled during a run: every request the system could not
    // send is lost, as ping's own statistics count it.
    {"ja-transmit-failed.txt",
     "192.168.1.1  送信 7  受信 3  損失 4 (57.1%)  最小 2 ms  平均 3.0 ms  最大 4 ms  "
     "ジッター 1.5 ms"},
    {"en-transmit-failed.txt",
     "10.0.0.1  送信 5  受信 2  損失 3 (60.0%)  最小 5 ms  平均 6.0 ms  最大 7 ms  "
     "ジッター 2.0 ms"},
    {"wine.txt",
     "127.0.0.1 [127.0.0.1]  送信 3  受信 3  損失 0 (0.0%)  最小 0 ms  平均 0.3 ms  最大 1 ms  "
     "ジッター 0.5 ms"},
};

}  // namespace velquin::test
