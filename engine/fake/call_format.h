// How the fake prints a call's arguments in its log.
#ifndef ORVALTA_FAKE_CALL_FORMAT_H
#define ORVALTA_FAKE_CALL_FORMAT_H

#include "orvalta.h"

#include <cstdint>
#include <string>

namespace orvfake::detail {

// The letter a handle prints with.
enum class Kind : char { Info = 'I', Config = 'C', Converter = 'V', Merger = 'M', Player = 'P' };

template <class H>
struct HandleKind;
template <>
struct HandleKind<OrvInfo_>
{
    static constexpr Kind kind = Kind::Info;
};
template <>
struct HandleKind<OrvConfig_>
{
    static constexpr Kind kind = Kind::Config;
};
template <>
struct HandleKind<OrvConverter_>
{
    static constexpr Kind kind = Kind::Converter;
};
template <>
struct HandleKind<OrvMerger_>
{
    static constexpr Kind kind = Kind::Merger;
};
template <>
struct HandleKind<OrvPlayer_>
{
    static constexpr Kind kind = Kind::Player;
};

// Arguments whose C type alone does not say how they print.
struct Argb
{
    uint32_t value;
};
struct FnArg
{
    bool set;
};
struct PtrArg
{
    bool set;
};

void put(std::string& out, int value);
void put(std::string& out, unsigned value);
void put(std::string& out, long value);
void put(std::string& out, unsigned long value);
void put(std::string& out, double value);
void put(std::string& out, const char* text);
void put(std::string& out, Argb colour);
void put(std::string& out, FnArg fn);
void put(std::string& out, PtrArg ptr);

} // namespace orvfake::detail

#endif // ORVALTA_FAKE_CALL_FORMAT_H
