// One command exchange with the controller through its library.
#pragma once
#include "quarn_pub_if.h"

// Sends the first length bytes (0 to 8) of packet under the library's command
// lock and collects the responses into table (capacity entries). Returns the
// number of responses received, which may exceed capacity, or -1 (send
// failed), -2 (status poll failed), -3 (fetch failed); the later of -2 and
// -3 wins.
int ExchangeCommand(const BYTE *packet, int length, ControllerPacket *table, int capacity);

// The collection alone: polls until the last packet fetched in a poll begins
// with 'A' or 10000 ms have passed. Results as ExchangeCommand, except -1.
int CollectResponses(ControllerPacket *table, int capacity);
