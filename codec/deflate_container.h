// Reading the chunked deflate container ("EZ").
//
// A container holds one payload cut into chunks of at most 32768 bytes. Its header, at the
// stream's position S, is big-endian: the signature "EZ", the chunk count N, N absolute file
// offsets, N stored sizes. Each chunk's stored data is a raw DEFLATE stream followed by the
// gzip member trailer (CRC-32 and length of the chunk's bytes, little-endian).
//
// The decoder keeps its state in process-wide storage: one call at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

// Reads the container at the stream's position, decodes every chunk and hands over the payload
// in *buffer (N x 32768 bytes, malloc'd; release it with free) and its length in *length.
// Header faults end the process through veltrane::FatalExit(1); chunk faults are reported on
// standard error and the chunk keeps only the whole 32768-byte windows it delivered. The stream
// is left just behind the stored data of the last chunk read (at S + 6 when N is 0).
void ReadDeflateZip(FILE* stream, unsigned char** buffer, int* length);

// ReadDeflateZip for a caller that knows how many payload bytes it can use. The output buffer
// holds at most max_bytes rounded up to whole 32768-byte windows, and nothing is decoded beyond
// it. A container of N chunks is taken as it stands when N windows fit in that bound. With more
// chunks (chunks may be shorter than a window) the lengths in the chunks' trailers are summed,
// a chunk whose trailer cannot be read counting as empty; when that declared payload exceeds
// max_bytes the container is refused before the output buffer is allocated: the function
// returns false with the sum in *declared, hands over no buffer and prints nothing. Otherwise
// it returns true with *declared set to the size it allowed for. Header faults are fatal as in
// ReadDeflateZip.
bool ReadDeflateZipBounded(FILE* stream, size_t max_bytes, unsigned char** buffer, int* length,
                           uint64_t* declared);

// fread that turns each item of size > 1 from most-significant-byte-first into host order.
// Returns the number of whole items read. An item size of 0 is fatal.
size_t cp_fread(void* buffer, size_t size, size_t count, FILE* stream);

// The program name that starts each chunk-fault line; "veltrane" unless set. The name is kept
// by pointer and must outlive the reads; nullptr restores the default.
void SetDeflateProgramName(const char* name);

// Largest number of bytes one chunk may decode to, and largest stored size of one chunk.
constexpr size_t kDeflateChunkWindow = 32768;
constexpr size_t kDeflateChunkStoredMax = 65536;

// Decodes one chunk's stored data (raw DEFLATE plus trailer), [chunk, chunk + stored_size),
// into dest, which has room for dest_room bytes, and checks the trailer. Returns the number of
// bytes delivered: all of them when the DEFLATE data decodes, else only a full 32768-byte
// window. Faults are reported on standard error; nothing is read outside the chunk's bytes and
// nothing is written past dest + min(dest_room, 32768).
size_t InflateChunk(const unsigned char* chunk, size_t stored_size, unsigned char* dest,
                    size_t dest_room);
