/* The poll() the SSH library calls where the system has one, here WSAPoll: one
   call per wait. Without it the library falls back to select() followed by a
   peek at the socket for every wait, and under Wine each is a round trip to
   the Wine server. */
#pragma once

#include <winsock2.h>

typedef unsigned long nfds_t;

static inline int poll(struct pollfd* fds, nfds_t count, int timeout) {
    return WSAPoll(fds, count, timeout);
}
