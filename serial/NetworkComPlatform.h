#pragma once

#include <memory>

#include "ComPlatform.h"

// The platform that serves network lines (rfc2217://HOST:PORT, tcp://HOST:PORT) as ports: a
// TCP connection to a serial device server whose descriptor stands for the device. Every other
// name and every other descriptor goes on to `devices`.
//
// What a port sees of a network line:
// - OpenDevice connects within 3 s (name lookup included), whatever the server sends; a host
//   not found, a refused connection or no answer fail it. With rfc2217 the BINARY and com-port
//   options are taken up before it returns (Rfc2217Session.h holds the session).
// - Read, InputQueued and Poll see line bytes only: telnet commands and the server's
//   notifications are consumed here, a doubled IAC arrives single, and a chunk that ends inside
//   a command is kept until its rest comes. The server closing the connection is a hang-up, and
//   so is a server gone silent without closing it (keepalive probes; about 10 s).
// - With rfc2217 the line settings, DTR and RTS go to the far port as the option's requests;
//   each waits a short time for the server's answer, and a server that does not answer (ser2net
//   on a line without modem lines does not) has not failed. Modem lines are those the server
//   last notified. With tcp the gateway keeps its own settings: they are stored, not sent.
// - No exclusive use, no lock, no line-error counters, no RS-485 mode of its own: the server
//   owns its line (ser2net takes one connection per line) and drives its own direction control.
std::shared_ptr<TComPlatform> NetworkComPlatform(std::shared_ptr<TComPlatform> devices);
