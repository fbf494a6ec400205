#include "cli/cli_manual.h"

#include <sstream>
#include <stdexcept>
#include <vector>

#include "processing/command_registry.h"

namespace {

struct Example {
  std::string_view What;
  std::string_view Line;
};

constexpr Example kExamples[] = {
    {"Print the format and length of a sound:", "open in.wav info"},
    {"Make two seconds of silence and save them:", "new 2 save silence.wav"},
    {"Print the first ten frames after selecting the first thousand:",
     "open in.wav select 0 999 samples 0 10"},
    {"Normalize the left channel to 90 % and fade it in:",
     "open in.wav channels left normalize 90 fade-in save out.wav"},
    {"Normalize and fade in, then take the fade back before saving:",
     "open in.wav normalize 90 fade-in undo save out.wav"},
    {"Keep only the first two seconds of a 44100 Hz sound:", "open in.wav select 0 88199 crop save out.wav"},
    {"Put the first half second of one sound before another:",
     "open a.wav select 0 22049 copy open b.wav paste save both.wav"},
    {"Convert to CD format (44100 Hz, 16 bit, stereo):", "open in.wav cd-format save cd.wav"},
    {"Band-limit a sound with the two RC filters:",
     "open in.wav low-pass 1000 high-pass 50 save filtered.wav"},
    {"Filter with coefficients from an IIR file, then through a 2.5 cm wall of 600 kg/m3:",
     "iir-open coeffs.iir open in.wav iir-apply wall 2.5 600 save out.wav"},
    {"Record five seconds of CD-quality sound and save it:", "record 5 44100 16 2 save take.wav"},
};

// Text as roff shows it: a backslash is roff's escape, "-" must stay the ASCII hyphen-minus that
// is typed on a command line, and a line starting with "." or "'" would be read as a request.
std::string Roff(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') {
      out += "\\e";
    } else if (c == '-') {
      out += "\\-";
    } else {
      out += c;
    }
  }
  if (!out.empty() && (out.front() == '.' || out.front() == '\'')) out.insert(0, "\\&");
  return out;
}

// Placeholders (PATH, SECONDS) are set in italics; literal words (left|right|both) in bold.
std::string ArgumentsInRoff(std::string_view argText) {
  std::istringstream words{std::string(argText)};
  std::string result;
  for (std::string word; words >> word;) {
    const bool placeholder = word.find_first_of("abcdefghijklmnopqrstuvwxyz") == std::string::npos;
    result += (placeholder ? " \\fI" : " \\fB") + Roff(word) + "\\fR";
  }
  return result;
}

// "\fBopen\fR, \fBnew\fR and \fBiir-open\fR": the commands that work without a sound.
std::string NamesWithoutSound() {
  std::vector<std::string_view> names;
  for (const CommandEntry& command : CommandTable()) {
    if (command.Needs == CommandNeeds::Nothing) names.push_back(command.Name);
  }
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
    text += "\\fB" + Roff(names[i]) + "\\fR";
  }
  return text;
}

// An example that names a renamed command, or gives it the wrong number of words, must stop the
// build rather than reach a user.
void CheckExample(std::string_view line) {
  std::istringstream stream{std::string(line)};
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(word);
  for (size_t i = 0; i < words.size();) {
    const CommandEntry* command = FindCommand(words[i]);
    if (!command) throw std::logic_error("manual example names no command: " + words[i]);
    const size_t first = i + 1;
    i = first + static_cast<size_t>(command->ArgCount);
    if (i > words.size())
      throw std::logic_error("manual example lacks arguments of " + std::string(command->Name));
    const std::vector<std::string> args(words.begin() + first, words.begin() + i);
    if (command->ArgsValid && !command->ArgsValid(args))
      throw std::logic_error("manual example gives " + std::string(command->Name) + " wrong arguments");
  }
}

}  // namespace

std::string CliManualPage(std::string_view version) {
  std::string page = ".TH VELORIN\\-CLI 1 \"\" \"Velorin II " + Roff(version) + "\" \"User Commands\"\n";
  page += R"(.SH NAME
velorin\-cli \- the Velorin II sound editor's commands, without a window
.SH SYNOPSIS
.B velorin\-cli
.RB [ \-\-progress ]
.I COMMAND
.RI [ ARG "]... [" COMMAND " [" ARG ]...]...
.br
.B velorin\-cli
.BR \-\-help " | " \-h " | " \-\-version
.SH DESCRIPTION
.B velorin\-cli
runs the commands of the Velorin II editor, one after another, on one PCM WAV sound (8, 16, 24 or
32 bit integer or 32 bit float, mono or stereo) held in memory, in its own format. It is built from the same engine as the window, and each command
does what the button of that name does there.
.PP
Commands run left to right, and each takes a fixed number of arguments. The whole command line is
checked before the first command runs. Arguments are read as the window reads typed text, with
"." as the decimal separator whatever the locale. Nothing is written to disk except by
.BR save ;
a command that fails leaves every file as it was, and the commands after it do not run.
.B save
replaces only a regular file: a path that leads, its links followed, to a device, a FIFO or a
folder is refused and nothing is written. Texts quoted in messages show control bytes and bytes
that are not UTF\-8 as \exNN.
.SH OPTIONS
.TP
.B \-\-progress
Draw a progress bar on standard error while long commands run, when standard error is a terminal.
It must come before the first command.
.TP
.BR \-h ", " \-\-help
Print the usage, with every command, on standard output and exit with 0.
.TP
.B \-\-version
Print the program's name and version on standard output and exit with 0.
.PP
Both of these are understood only as the one argument of the command line.
.SH COMMANDS
)";
  for (const CommandEntry& command : CommandTable()) {
    page += ".TP\n\\fB" + Roff(command.Name) + "\\fR" + ArgumentsInRoff(command.ArgText) + "\n";
    page += Roff(command.Summary) + "\n";
  }
  page += ".PP\nEvery command but " + NamesWithoutSound() + " needs a sound; with none open it fails.\n";
  page += R"(.SH EXIT STATUS
.TP
.B 0
Every command ran.
.TP
.B 1
A command refused its input with one of the editor's own messages (for example
"Error. Aborting operation."), which is printed on standard error.
.TP
.B 2
A command failed: a number that does not parse, a file that cannot be read or written, an
arithmetic error, or no sound open. The message is printed on standard error.
.TP
.B 64
The command line is wrong (an unknown command, a missing or malformed argument). The usage is
printed on standard error, and no command runs.
.TP
.BR 130 ", " 143
SIGINT or SIGTERM ended \fBrecord\fR. The scratch file is finished as Stop finishes it, and the
commands after it do not run.
.SH RECORDING
\fBrecord\fR stops once \fISECONDS\fR of sound have reached the scratch file and keeps exactly
those frames; a device that stops delivering ends it within ten seconds more. A sound system that
does not answer for five seconds fails \fBrecord\fR, \fBplay\fR and \fBdevices\fR with "The sound
system does not answer". The scratch file is locked while a recording writes it: a second recording is refused
at once ("Another recording is using \fIPATH\fR"), and the file is left alone. A write error
(Cannot write file \fIPATH\fR, with the reason, such as a full disk) or the file deleted while
recording ends the recording with exit status 2; what was written stays in the file, in whole frames with its
sizes patched (for a deleted file, in a new file \fIvelorin_recovered_N.wav\fR beside it, which the
message names). \fISECONDS\fR beyond the largest sound the editor holds fail at once; a recording
that stops at that limit says so on standard error.
.SH FILES
.TP
.I velorin_temp.wav
The scratch file that \fBrecord\fR records into: beside the program when its folder can be
written, otherwise in \fI$XDG_DATA_HOME/Velorin II\fR (by default \fI~/.local/share/Velorin II\fR).
.SH EXAMPLES
)";
  for (const Example& example : kExamples) {
    CheckExample(example.Line);
    // Unfilled, so that a command line is never broken or hyphenated where it cannot be copied.
    page += ".PP\n" + Roff(example.What) + "\n.PP\n.RS\n.nf\n\\fBvelorin\\-cli " + Roff(example.Line) +
            "\\fR\n.fi\n.RE\n";
  }
  return page;
}
