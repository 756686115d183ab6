// Draskel 3 Tuning Utility: a settings program for the game Draskel 3.

int main() {
    return 0;
}
