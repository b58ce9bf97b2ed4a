// Utf8: conversion between the plug-in's UTF-16 text and UTF-8 bytes.
//
// Both directions are total: an unpaired surrogate, or a byte sequence that is not valid
// UTF-8 (overlong, truncated, a surrogate or beyond U+10FFFF), becomes U+FFFD. Thread-safe.
#pragma once

#include <string>
#include <string_view>

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);
