// The C library's maths for the shipped programs, on the x87 (every i486DX
// has one): the instruction each function names, with its arguments
// reduced where the instruction's range ends.
#pragma once
#include "common/crt/crt_name.h"

extern "C" {
double CRT_NAME(sqrt)(double x);
double CRT_NAME(sin)(double x);
double CRT_NAME(cos)(double x);
void CRT_NAME(sincos)(double x, double* sine, double* cosine);
double CRT_NAME(fabs)(double x);
double CRT_NAME(floor)(double x);
double CRT_NAME(ceil)(double x);
double CRT_NAME(trunc)(double x);
double CRT_NAME(fmod)(double x, double y);
}
