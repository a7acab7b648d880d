// Keeps the network library non-empty while it has no backend of its own.
namespace quill {
int netLibraryAnchor() { return 0; }
}  // namespace quill
