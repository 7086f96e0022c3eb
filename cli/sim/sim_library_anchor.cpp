// The simulator library always has at least this translation unit.
namespace sim {
int libraryAnchor() { return 0; }
}  // namespace sim
