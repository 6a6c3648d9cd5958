#include "core/errors.h"

#include "orvalta.h"

namespace orv {

const char* errorText(int code)
{
    switch (code) {
    case ORV_OK:
        return "no error";
    case ORV_E_INPUT:
        return "the source is missing, damaged or of an unknown format";
    case ORV_E_NOSTREAM:
        return "there is no stream to write";
    case ORV_E_CONTAINER:
        return "the container is unknown or takes none of the streams";
    case ORV_E_OUTPUT:
        return "the output file exists or cannot be created";
    case ORV_E_ENCODER:
        return "no encoder is available, or it failed to open";
    case ORV_E_WATERMARK:
        return "the watermark image cannot be decoded";
    case ORV_E_SUBTITLE:
        return "the subtitle file cannot be read";
    case ORV_E_DECODE:
        return "the source could not be read or decoded";
    case ORV_E_WRITE:
        return "writing the output failed";
    case ORV_E_STATE:
        return "the call is not valid in this state";
    case ORV_E_INTERNAL:
        return "internal error";
    case ORV_E_SIZE:
        return "the output picture is too large (at most 4096x2304)";
    case ORV_E_ACCESS:
        return "the source may not be read";
    default:
        return "unknown error";
    }
}

} // namespace orv
