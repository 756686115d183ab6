// The resource library needs one translation unit of its own; the embedded files are linked
// into it by qt_add_resources.
namespace dk3 {
int resourcesAnchor() {
    return 0;
}
} // namespace dk3
