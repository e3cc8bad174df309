// The --trace line names the command of a response by its request code and spells out a
// refusal and a spoiled CRC.
#include <gtest/gtest.h>

#include "FrameTrace.h"
#include "ReaderCommands.h"
#include "SimTestSupport.h"

using namespace simtest;

namespace {

std::string Trace(sim::Direction direction, std::uint8_t reader, Bytes frame) {
  return sim::TraceLine({sim::Nanos(1500ms), direction, reader, std::move(frame)});
}

TEST(FrameTraceTest, DecodesRequestsAndAnswers) {
  EXPECT_EQ(Trace(sim::Direction::Request, 0xFF, {0xFF, 0x05, 0x70, 0x4E, 0x01}),
            "    1.500000 <- FF 05 70 4E 01  to all: Чтение серийного номера");
  EXPECT_EQ(Trace(sim::Direction::Response, 1, {0x01, 0x08, 0x71, 0x12, 0x34, 0xFF, 0x89, 0xEE}),
            "    1.500000 -> 01 08 71 12 34 FF 89 EE  from 1: Чтение серийного номера, data 12 34, ok");
  EXPECT_EQ(Trace(sim::Direction::Response, 1, {0x01, 0x06, 0x7D, 0x23, 0xAE, 0x10}),
            "    1.500000 -> 01 06 7D 23 AE 10  from 1: Изменение режима работы, status 23 "
            "команда не может быть обработана в текущем режиме");
  EXPECT_EQ(Trace(sim::Direction::Response, 1, {0x01, 0x06, 0x7D, 0xFF, 0xA4, 0xE0}),
            "    1.500000 -> 01 06 7D FF A4 E0  from 1: Изменение режима работы, ok, bad CRC");
}

}  // namespace
