// docs/params.md is the names table as the programs know it: a name added, renamed or given
// another range without the page being made again fails here.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "docs/params_page.h"

#ifndef AX7_SOURCE_DIR
#error "AX7_SOURCE_DIR names the repository"
#endif

TEST(ParamsPage, TheRepositoryCopyIsCurrent) {
  std::ifstream in(std::string(AX7_SOURCE_DIR) + "/docs/params.md", std::ios::binary);
  ASSERT_TRUE(in) << "docs/params.md is missing";
  const std::string stored{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_TRUE(stored == ax7::docs::paramsPage())
      << "docs/params.md is out of date: build, then copy build/src/docs/params.md over it";
}

TEST(ParamsPage, ListsEveryNameOrItsBandPattern) {
  const std::string page = ax7::docs::paramsPage();
  for (const char* expected :
       {"| `mic1.volume` | % | 0 .. 100 | 1 | 1 | 4 |", "| `out8.room_trim` | dB |",
        "`mic_a.eq.N.FIELD` | 1 .. 10 | 1 | 16 |",
        "`out3.eq.N.FIELD` | 1 .. 10 | 7 | 0 |"}) {
    EXPECT_NE(page.find(expected), std::string::npos) << expected;
  }
}
