#include "runtime/system_error.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace movra;

namespace {

void ExpectOneLine(const std::string& text) {
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
  EXPECT_NE(text.back(), ' ') << text;
}

TEST(SystemErrorText, WindowsErrorsGiveTheSystemsText) {
  ExpectOneLine(SystemErrorText(ERROR_ACCESS_DENIED));
  ExpectOneLine(SystemErrorText(ERROR_FILE_NOT_FOUND));
  EXPECT_NE(SystemErrorText(ERROR_ACCESS_DENIED), SystemErrorText(ERROR_FILE_NOT_FOUND));
}

TEST(SystemErrorText, NtStatusesGiveATextOfTheirOwn) {
  // STATUS_END_OF_FILE and STATUS_BUFFER_OVERFLOW, as the engine meets them.
  for (uint32_t status : {0xC0000011u, 0x80000005u}) {
    const std::string text = SystemErrorText(static_cast<int32_t>(status));
    ExpectOneLine(text);
    EXPECT_NE(text.rfind("NTSTATUS", 0), 0u) << text;
  }
  EXPECT_EQ(SystemErrorText(static_cast<int32_t>(0xE0AB1234u)), "NTSTATUS 0xE0AB1234");
}

}  // namespace
