#pragma once
// A parser that is never started, fed texts directly as its thread would feed them, with a
// fixed clock and fixed program facts.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "logging/journal_messages.h"
#include "logging/journal_parser.h"
#include "logging/journal_source.h"
#include "runtime/message_thread.h"

namespace movra::testing {

struct FixedSource : TJournalSource {
  TJLLocalTime Time{2024, 2, 9, 7, 5, 3};
  uint64_t Ticks = 123456789;
  std::string File = "C:\\Program Files\\Movra\\X.exe";
  std::string Version = "1.4.0.512";
  std::vector<std::string> Params;

  TJLLocalTime LocalTime() const override { return Time; }
  uint64_t TickCount() const override { return Ticks; }
  std::string ProgramFile() const override { return File; }
  std::string ProgramVersion() const override { return Version; }
  std::vector<std::string> Parameters() const override { return Params; }
};

class IdleParser : public ::testing::Test {
 protected:
  IdleParser() {
    auto source = std::make_unique<FixedSource>();
    source_ = source.get();
    parser_.SetSource(std::move(source));
    parser_.SetErrorStyle({"\xE2\x80\xA2", true});
  }

  std::vector<std::string> Expand(const std::string& text) {
    return parser_.ExpandText(text).Lines();
  }
  // The one line `text` expands to.
  std::string Line(const std::string& text) {
    const std::vector<std::string> lines = Expand(text);
    EXPECT_EQ(lines.size(), 1u) << "text: " << text;
    return lines.empty() ? std::string() : lines[0];
  }
  void Control(TJLControlKind kind, std::unique_ptr<TMessagePayload> object = nullptr,
               intptr_t lParam = 0) {
    TThreadMessage message{WM_JL_CONTROL, static_cast<uintptr_t>(kind), lParam, std::move(object)};
    parser_.HandleMessage(message);
  }
  void Numbering(bool on, int digits, bool rightAligned) {
    ASSERT_TRUE(parser_.SetPendingNumbering({on, digits, rightAligned}));
    Control(TJLControlKind::ApplyNumbering);
  }

  // The lines the parser posts, once the writer is started.
  std::vector<std::string> Posted(size_t atLeast) {
    for (int i = 0; i < 2000; ++i) {
      {
        std::lock_guard lock(sink_.Mutex);
        if (sink_.Lines.size() >= atLeast) return sink_.Lines;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard lock(sink_.Mutex);
    return sink_.Lines;
  }
  void Parse(TJLParseKind kind, std::unique_ptr<TMessagePayload> object = nullptr) {
    TThreadMessage message{WM_JL_PARSE, static_cast<uintptr_t>(kind), 0, std::move(object)};
    parser_.HandleMessage(message);
  }

  struct Sink : TMessageHandler {
    void HandleMessage(TThreadMessage& message) override {
      if (message.Msg != WM_JL_LINES) return;
      std::lock_guard lock(Mutex);
      for (const std::string& line : PayloadOf<TJLLinesMsg>(message).Lines) Lines.push_back(line);
    }
    std::mutex Mutex;
    std::vector<std::string> Lines;
  };
  Sink sink_;
  TMessageThread writer_{sink_};
  TJournalParser parser_{writer_};
  FixedSource* source_ = nullptr;
};

}  // namespace movra::testing
