// WRec, a record in memory with its owned data buffer, and the process-wide pool of
// record buffers from which the record files take their scratch buffers.
#pragma once
#include <cstdint>

#include "storage/Recformat.h"

class WRec {
public:
  WRec();
  explicit WRec(int size);
  ~WRec();
  WRec(const WRec&) = delete;
  WRec& operator=(const WRec&) = delete;

  // The buffer's capacity in bytes; readers refuse records that would not fit.
  int Capacity() const { return Size; }

  int8_t Prefix = 0;       // record kind; bit 7 set = removed or relocated
  uint32_t Adr = EmptyAdr; // link address
  uint16_t Len = 0;        // valid bytes in Data
  char* Data;              // owned buffer

private:
  int Size;
};

// The pool exists between InitBuf and DeInitBuf; it keeps at most 16 idle buffers.
void InitBuf(char* text);
void InitBuf();
WRec* GetBuf();
// Returns a buffer taken with GetBuf; anything else raises message number 4.
void FreeBuf(WRec* rec);
void DeInitBuf();
// Number of entries in the pool (in use or free); 0 when there is no pool.
int BufPoolSize();
