#ifndef LUM_PLATFORM_PLATFORMFAULTS_H
#define LUM_PLATFORM_PLATFORMFAULTS_H

#include <cstdint>

// Failures that the portable file and memory calls make on request, so that
// tests can reach every failure path of their callers. All zero means none:
// the calls then behave as the system lets them.
struct PlatformFaultsRecord {
    int32_t failOpen;          // every open fails
    int32_t failRead;          // the read that would deliver byte failReadAt fails
    uint64_t failReadAt;
    uint32_t readLimit;        // each read delivers at most this many bytes
    int32_t failLength;        // a file's length cannot be had
    int32_t cutFile;           // reads end at byte cutAt, whatever the file's length says
    uint64_t cutAt;
    uint64_t failAllocation;   // the allocation with this number (from 1) fails
    uint64_t allocations;      // allocations asked for since the record was zeroed
};

extern PlatformFaultsRecord PlatformFaults;

#endif
