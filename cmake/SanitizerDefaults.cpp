// Sanitizer settings baked into every test program, so a test run directly behaves as under
// ctest. Leaks and mismatches inside the system's GL, font and GUI libraries are not ours.
extern "C" {

const char* __asan_default_options()
{
    // OGRE's image codec frees with delete[] what it allocated with malloc. A test's local
    // that a plug-in still writes to after the test body returned shows as stack use after
    // return (the optimised build crashes on it inside dlclose). This compiler's runtime takes a
    // thread-local block of a loaded library whose address happens to fall 16 bytes past a page
    // for an old C library's block with a header, reads a length from before it, and the leak
    // check's thread scan then dies at exit ("Tracer caught signal 11") after every test passed:
    // such blocks are not followed apart, they are heap blocks the scan reaches anyway.
    return "detect_leaks=1:strict_init_order=1:alloc_dealloc_mismatch=0:detect_stack_use_after_return=1:"
           "intercept_tls_get_addr=0";
}

#ifdef ZRK_LSAN_WITHOUT_TLS
// Programs that show web pages: the leak check cannot walk the dynamic thread-local storage
// of the browser's libraries (its thread scan crashes on glibc 2.36), so thread-local storage
// is not scanned there; what the system's libraries keep in it is listed below.
const char* __lsan_default_options() { return "use_tls=0"; }
#endif

const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

const char* __lsan_default_suppressions()
{
    return "leak:libGLX_mesa\n"
           "leak:libGL.so\n"
           "leak:libGLX.so\n"
           "leak:swrast_dri\n"
           "leak:libgallium\n"
           "leak:libLLVM\n"
           "leak:libfontconfig\n"
           "leak:libX11\n"
           "leak:libxcb\n"
           "leak:libdbus\n"
           // The browser control's toolkit and engine keep their start-up for the run.
           "leak:libglib-2.0\n"
           "leak:libgobject-2.0\n"
           "leak:libgio-2.0\n"
           "leak:libgtk-3\n"
           "leak:libgdk-3\n"
           "leak:libjavascriptcoregtk\n"
           "leak:libwebkit2gtk\n"
           "leak:_dl_resize_dtv\n"
           "leak:add_to_global_resize\n"
           "leak:_dl_map_object_deps\n"
           "leak:_dlerror_run\n"
           "leak:libcrypto\n"
           // CEGUI's XML parser keeps expat's buffers when a handler throws on a broken file.
           "leak:libexpat\n"
           // FreeImage's codecs (JPEG 2000 pictures) keep their start-up allocations.
           "leak:libfreeimage\n"
           "leak:libopenjp2\n"
           "leak:libraw\n"
           "leak:libjxr\n"
           "leak:libjpegxr\n"
           "leak:Codec_FreeImage\n"
           // OpenAL Soft looks for a sound server (libpulse) once per run and keeps what it found in
           // thread-local storage, with the thread's key block.
           "leak:libpulse\n"
           "leak:___pthread_setspecific\n"
           // libsndfile drops the Vorbis decoder's set-up when an OGG file's headers are broken.
           "leak:vorbis_info_init\n"
           // CEGUI's OGRE renderer keeps the pixel copies of the textures it loads from memory.
           "leak:CEGUI::OgreTexture::loadFromMemory\n";
}
}
