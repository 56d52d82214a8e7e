#pragma once
// The socket structures and calls, as this system's headers give them.

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
