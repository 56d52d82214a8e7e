#pragma once
// The socket structures and calls, as this system's headers give them.

#include <winsock2.h>
#include <ws2tcpip.h>
