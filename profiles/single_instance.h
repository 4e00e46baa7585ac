#pragma once
// One copy of the desktop program per system. The first copy holds the single count of the
// semaphore "MovraFileDefragmentor"; a second copy broadcasts the registered message
// "MovraFileDefragmentor: Activate Window", which brings the first copy's window forward, and
// ends.
#include <cstdint>

namespace movra {

// The registered message, 0 until TakeSingleInstance has run.
uint32_t ActivateWindowMessage();

// Registers the message and takes the semaphore's count, waiting 50 ms for it. False when
// another copy holds it: the message has then been posted to every top-level window.
bool TakeSingleInstance();

// At start-up, before anything else: TakeSingleInstance, or the end of the process with exit
// code 0.
void CheckSingleInstance();

// At the end of the program: gives the count back and closes the semaphore.
void ReleaseSingleInstance();

}  // namespace movra
