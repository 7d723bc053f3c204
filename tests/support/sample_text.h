#pragma once
// A sample output of ../shared/samples (copied under tests/samples) as the
// program reads it: its bytes decoded from the ANSI code page.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "exec/ansi_decoder.h"
#include "support/scripted_platform.h"

namespace velquin::test {

inline std::string decodedSample(const std::string& folder, const std::string& name) {
  std::ifstream in(std::string(VELQUIN_TEST_SOURCE) + "/samples/" + folder + "/" + name,
                   std::ios::binary);
  EXPECT_TRUE(in) << name;
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  ScriptedPlatform os;
  exec::AnsiDecoder decoder(os);
  std::string text;
  decoder.decode(bytes, text);
  return text;
}

}  // namespace velquin::test
