#include "web/DecodePageText.h"

// Pages are taken as code page 936 text until charset decoding is built.
void DecodePageText(const ByteSet&, Text&) {}
