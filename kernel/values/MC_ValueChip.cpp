// Drive transfers of CMC_Value through the communication gate.
#include "kernel/values/MC_Value.h"

#include "comm/MC_Comm.h"

int CMC_Value::ReadFromChip(tagVarType type, WORD address) {
  WORD words[4] = {0, 0, 0, 0};
  WORD count = GetSizeInWords(type);
  if (!CMC_Comm::ReceiveData(words, address, GetMemorySpace(address), count)) return 0;
  ReadFromBuffer(type, words);
  return 1;
}

int CMC_Value::WriteToChip(tagVarType type, WORD address) const {
  WORD words[4] = {0, 0, 0, 0};
  WriteToBuffer(type, words);
  return CMC_Comm::SendData(words, address, GetMemorySpace(address), GetSizeInWords(type)) ? 1 : 0;
}
