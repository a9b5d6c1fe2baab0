#pragma once

namespace zv {

// Once at start: the memory freed at the end of each thread's arena goes back
// to the system beyond 1 MB, instead of beyond the size of the largest block
// the program ever freed.
void keepLittleFreedMemory();

// Gives the memory that the program freed back to the system, half a second
// after the last call: the decoders of a stopped stream, the widgets of a
// section left. The C library otherwise keeps what each thread freed for its
// reuse, and a long session would keep the peak of every stream it played.
// Calls close together give one release. From the thread of the event loop.
void releaseFreedMemorySoon();

// The same, at once.
void releaseFreedMemory();

} // namespace zv
