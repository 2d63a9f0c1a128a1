// The C library's memory and string functions, for the shipped programs,
// which link no C library (see startup.cpp). The compiler calls the memory
// functions on its own too (block copies, zeroed arrays).
#pragma once
#include <cstddef>

#include "common/crt/crt_name.h"

extern "C" {
void* CRT_NAME(memcpy)(void* dst, const void* src, std::size_t size);
void* CRT_NAME(memmove)(void* dst, const void* src, std::size_t size);
void* CRT_NAME(memset)(void* dst, int value, std::size_t size);
int CRT_NAME(memcmp)(const void* a, const void* b, std::size_t size);
std::size_t CRT_NAME(strlen)(const char* text);
std::size_t CRT_NAME(strnlen)(const char* text, std::size_t most);
char* CRT_NAME(strchr)(const char* text, int c);
char* CRT_NAME(strrchr)(const char* text, int c);
int CRT_NAME(strcmp)(const char* a, const char* b);
int CRT_NAME(strncmp)(const char* a, const char* b, std::size_t most);
char* CRT_NAME(strstr)(const char* text, const char* part);
char* CRT_NAME(strcpy)(char* dst, const char* src);
}
