#include "DemoLine.h"

namespace sim {

std::vector<Reader> DemoReaders() {
  Reader turnstile;
  turnstile.address = 1;
  ReaderState& t = turnstile.state;
  t.serial = {0x12, 0x34};
  t.cashDesk = {0x00, 0x00, 0x01, 0x2A};
  t.rechargeUnits = 5;
  t.mode = 1;
  t.cardType = 2;
  t.currentDate = {31, 12, 9};
  t.endDate = {29, 2, 12};
  t.sector = 4;
  t.abonementTimeout = 10;
  t.relayTime = 3;
  t.blackList[0] = {0x00, 0x12, 0xAB, 0x9F};
  t.blackList[1] = {0xAB, 0xCD, 0xEF, 0x01};
  t.blackList[2] = {0x0A, 0x0B, 0x0C, 0x0D};
  t.keyA = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
  t.keyB = {0xB0, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5};

  Reader desk;
  desk.address = 2;
  ReaderState& d = desk.state;
  d.serial = {0x00, 0x7F};
  d.cashDesk = {0xAB, 0xCD, 0xEF, 0x01};
  d.rechargeUnits = 10;
  d.mode = 3;
  d.cardType = 1;
  d.currentDate = {1, 1, 0};
  d.endDate = {31, 12, 255};
  d.sector = 15;
  d.abonementTimeout = 0;
  d.relayTime = 255;
  d.blackList[9] = {0xFF, 0xFF, 0xFF, 0xFF};

  Reader gate;
  gate.address = 3;
  ReaderState& g = gate.state;
  g.serial = {0xBE, 0xEF};
  g.cashDesk = {0x00, 0x00, 0x00, 0x07};
  g.rechargeUnits = 0;
  g.mode = 2;
  g.cardType = 1;
  g.currentDate = {15, 6, 24};
  g.endDate = {1, 3, 25};
  g.sector = 1;
  g.abonementTimeout = 30;
  g.relayTime = 1;
  g.initKey = {0x11, 0x22, 0x33, 0x44, 0x55, 0x66};
  g.initKeyType = kKeyB;

  return {turnstile, desk, gate};
}

}  // namespace sim
