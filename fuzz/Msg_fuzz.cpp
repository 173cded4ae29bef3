// creat_msg and the system-error texts with any text, number and interface language.
#include "fuzz/support/Fuzz.h"
#include "messages/Zmsg.h"
#include "paths/Rdwr_cfg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  TFuzzInput in(data, size);
  int number = static_cast<int16_t>(in.U16());
  Cfg[CfgIfaceRussian] = in.Byte() & 1;
  int code = static_cast<int32_t>(in.U32());
  std::string text = in.Rest();
  std::string msg = creat_msg(text, number);
  if (number == 99) FUZZ_CHECK(msg == text);
  if (number == 0) FUZZ_CHECK(msg == " " + text);
  FUZZ_CHECK(creat_msg(text, number) == msg);
  try {
    OutSystemErrorCode(text, code);
  } catch (const ZError& e) {
    FUZZ_CHECK(e.Number == 99);
    FUZZ_CHECK(e.Message.compare(0, text.size(), text) == 0);
  }
  return 0;
}
