#pragma once

// Pictures may be decoded on several threads at once when each thread has
// decoders of its own (a CAutoDecoder serves one decode at a time): what the
// decoders share (the trace, libtiff's message handlers, the system colours
// thumbnails are filled with) may be used from any thread.
//
// Call this once on the main thread before other threads decode: it makes
// what belongs to the main thread ahead of them (the Qt GUI application that
// metafile text is drawn with, where the program has none, and its fonts).
void PrepareDecodingThreads();
