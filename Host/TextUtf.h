// TextUtf: conversion between the host's UTF-8 (files, SQLite, console) and the UTF-16 text
// that crosses the plug-in boundary. Invalid sequences become U+FFFD; nothing is dropped
// silently and nothing throws.
#pragma once

#include <string>
#include <string_view>

namespace RefHost {

std::string ToUtf8(std::u16string_view text);
std::u16string ToUtf16(std::string_view text);

} // namespace RefHost
