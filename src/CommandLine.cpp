#include "CommandLine.h"

#include "platform/Win32.h"

namespace {

constexpr unsigned char Quote = 34;

// Blanks and control characters 1 to 32 separate arguments; 0 ends the text.
bool IsSeparator(unsigned char character) { return character >= 1 && character <= 32; }

// Bytes are classed by their unsigned codes.
unsigned char At(const char* text, std::size_t position) {
    return static_cast<unsigned char>(text[position]);
}

}  // namespace

// Splits one argument: separators and empty pairs of quotes before it are
// skipped, quotes open and close sections in which separators are kept, and
// the quotes themselves never become part of the argument.
bool NextArgument(const char* text, std::size_t& position, String& argument) {
    for (;;) {
        if (IsSeparator(At(text, position)))
            ++position;
        else if (At(text, position) == Quote && At(text, position + 1) == Quote)
            position += 2;
        else
            break;
    }

    if (!argument.SetLength(0) || !argument.Reserve(ArgumentCapacity))
        return false;
    for (;;) {
        unsigned char character = At(text, position);
        if (character == 0 || IsSeparator(character))
            return true;
        bool quoted = character == Quote;
        if (quoted)
            ++position;
        std::size_t start = position;
        while (At(text, position) != 0 && At(text, position) != Quote &&
               (quoted || !IsSeparator(At(text, position))))
            ++position;
        if (!argument.Append(text + start, position - start)) {
            argument.Release();
            return false;
        }
        if (quoted && At(text, position) == Quote)
            ++position;
    }
}

// Walks the command line from the program's name to the wanted argument,
// stopping early when the text runs out.
String CommandLineArgument(std::size_t index) {
    const char* text = Platform::GetCommandLineA();
    if (!text)
        text = "";
    std::size_t position = 0;
    String argument;
    if (!NextArgument(text, position, argument))
        return String();
    for (std::size_t taken = 0; taken < index && !argument.Empty(); ++taken)
        if (!NextArgument(text, position, argument))
            return String();
    return argument;
}
