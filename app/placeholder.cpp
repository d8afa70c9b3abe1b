// Keeps the shell library non-empty until the window arrives.
namespace qimbra {}
