// libmpv is loaded when the RealPlayer engine first starts, not with the
// program: with the two hundred libraries it brings it would add a tenth of a
// second and some ten megabytes to every start. The functions below stand for
// the library's own (the program links none of it); each finds its namesake
// in the library on first use. Missing library: mpv_create gives nullptr,
// which the engine already reports.
#include <dlfcn.h>
#include <mpv/client.h>
#include <string>

namespace {

void* library()
{
    // The library's file is named after its interface's major version.
    static void* const handle = dlopen(
        ("libmpv.so." + std::to_string(MPV_CLIENT_API_VERSION >> 16)).c_str(), RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename F> F* real(const char* name)
{
    void* lib = library();
    return lib ? reinterpret_cast<F*>(dlsym(lib, name)) : nullptr;
}

} // namespace

#define ZV_MPV(ret, name, params, args, missing)                                                             \
    ret name params                                                                                          \
    {                                                                                                        \
        static auto* const f = real<decltype(name)>(#name);                                                  \
        if (!f)                                                                                              \
            return missing;                                                                                  \
        return f args;                                                                                       \
    }

extern "C" {

ZV_MPV(mpv_handle*, mpv_create, (void), (), nullptr)
ZV_MPV(int, mpv_initialize, (mpv_handle * ctx), (ctx), MPV_ERROR_UNINITIALIZED)
ZV_MPV(void, mpv_destroy, (mpv_handle * ctx), (ctx), void())
ZV_MPV(void, mpv_terminate_destroy, (mpv_handle * ctx), (ctx), void())
ZV_MPV(const char*, mpv_error_string, (int error), (error), "libmpv absente")
ZV_MPV(void, mpv_free, (void* data), (data), void())
ZV_MPV(int, mpv_set_option_string, (mpv_handle * ctx, const char* name, const char* data), (ctx, name, data),
    MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_command, (mpv_handle * ctx, const char** args), (ctx, args), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_command_string, (mpv_handle * ctx, const char* args), (ctx, args), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_set_property, (mpv_handle * ctx, const char* name, mpv_format format, void* data),
    (ctx, name, format, data), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_set_property_string, (mpv_handle * ctx, const char* name, const char* data),
    (ctx, name, data), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_get_property, (mpv_handle * ctx, const char* name, mpv_format format, void* data),
    (ctx, name, format, data), MPV_ERROR_UNINITIALIZED)
ZV_MPV(char*, mpv_get_property_string, (mpv_handle * ctx, const char* name), (ctx, name), nullptr)
ZV_MPV(int, mpv_observe_property,
    (mpv_handle * mpv, uint64_t reply_userdata, const char* name, mpv_format format),
    (mpv, reply_userdata, name, format), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_unobserve_property, (mpv_handle * mpv, uint64_t registered_reply_userdata),
    (mpv, registered_reply_userdata), MPV_ERROR_UNINITIALIZED)
ZV_MPV(int, mpv_request_log_messages, (mpv_handle * ctx, const char* min_level), (ctx, min_level),
    MPV_ERROR_UNINITIALIZED)
ZV_MPV(mpv_event*, mpv_wait_event, (mpv_handle * ctx, double timeout), (ctx, timeout), nullptr)
ZV_MPV(void, mpv_wakeup, (mpv_handle * ctx), (ctx), void())
ZV_MPV(void, mpv_set_wakeup_callback, (mpv_handle * ctx, void (*cb)(void* d), void* d), (ctx, cb, d), void())
ZV_MPV(const char*, mpv_event_name, (mpv_event_id event), (event), "")

} // extern "C"
