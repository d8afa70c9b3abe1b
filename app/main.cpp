// Placeholder until the window exists.
#include <cstdio>

int main() {
    std::puts("Qimbra");
    return 0;
}
