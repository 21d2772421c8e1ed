// The time of one round trip to the Wine server, the price every socket, file and
// window call of the program pays under Wine: on a machine where it is dearer, every
// ratio of ours against a native client grows with it. Prints microseconds per trip.
#include <windows.h>

#include <cstdio>

int main() {
    const int kTrips = 100000;
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!event) return 1;
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    for (int i = 0; i < kTrips; ++i) SetEvent(event);  // one server request each
    QueryPerformanceCounter(&end);
    CloseHandle(event);
    printf("Wine server round trip: %.1f us\n",
           double(end.QuadPart - start.QuadPart) * 1e6 / double(frequency.QuadPart) / kTrips);
    return 0;
}
