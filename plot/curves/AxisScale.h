// Tick steps, powers of ten and the number texts of the graph window's scales.
#pragma once

#include "platform/core/Types.h"

double PowerOfTen(int e);
int SplitMantissaExponent(double v, double* mantissa, int* exponent);
double NiceAxisStep(double mantissa, unsigned n);
double ComputeAxisScale(double min, double max, unsigned n, int* exponent, double* offset);
void TrimNumberString(char* text);
