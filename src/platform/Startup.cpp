// The Windows build's entry: the C runtime starts the process and calls main,
// which hands over to the program at once. RunCompanion ends the process
// itself and does not return.

#include "../Entry.h"

int main() {
    RunCompanion();
    return 0;
}
