#!/usr/bin/env bash
# Writes the fuzz targets' seed corpora (into tests/fuzz/corpus/<target>/, or under the folder
# given). wave_load: one small file of each layout the editor opens and of each shape its loader
# has to see through or refuse; the samples come from sox, the headers from printf, so the files
# come out the same every time. text_input: IIR files and the words of each command that takes
# arguments.
set -euo pipefail
root=${1:-$(dirname "$0")/corpus}
out=$root/wave_load
mkdir -p "$out" "$root/text_input"
rm -f "$out"/* "$root/text_input"/*

# Little- and big-endian fields as printf escapes.
le16() { printf '\\x%02x\\x%02x' $(($1 & 255)) $(($1 >> 8 & 255)); }
le32() { printf '%s%s' "$(le16 $(($1 & 65535)))" "$(le16 $(($1 >> 16 & 65535)))"; }
be16() { printf '\\x%02x\\x%02x' $(($1 >> 8 & 255)) $(($1 & 255)); }
be32() { printf '%s%s' "$(be16 $(($1 >> 16 & 65535)))" "$(be16 $(($1 & 65535)))"; }
bytes() { printf '%b' "$@"; }

# The encoding of BITS-bit samples in a wave file.
encoding() { if [ "$1" = 8 ]; then echo unsigned-integer; else echo signed-integer; fi; }

# Raw samples: CHANNELS BITS SECONDS; two tones, so that stereo channels differ.
samples() {
  sox -R -D -n -t raw -r 8000 -e "$(encoding "$2")" -b "$2" -c "$1" - synth "$3" sine 440 sine 660 vol 0.8
}

# A PCM format chunk: CHANNELS RATE BITS.
fmt_chunk() {
  local align=$(($1 * $3 / 8))
  bytes "fmt $(le32 16)$(le16 1)$(le16 "$1")$(le32 "$2")$(le32 $(($2 * align)))$(le16 $align)$(le16 "$3")"
}

# The layouts the editor opens, as sox writes them: the canonical 44-byte header up to 16 bits,
# the extensible format chunk for 24 and 32, a format chunk of 18 bytes and a fact chunk for float.
for layout in "1 8 mono8" "2 8 stereo8" "1 16 mono16" "2 16 stereo16" "1 24 mono24" "2 24 stereo24" \
  "2 32 stereo32" "1 32 monofloat floating-point"; do
  read -r channels bits name kind <<<"$layout"
  sox -R -D -n -r 8000 -e "${kind:-$(encoding "$bits")}" -b "$bits" -c "$channels" "$out/$name.wav" \
    synth 0.03 sine 440 sine 660 vol 0.8
done

# A LIST chunk (the INFO a recorder or tagger writes) between the format and the data.
samples 1 16 0.02 >"$out/data.raw"
size=$(stat -c %s "$out/data.raw")
info="INFOISFT$(le32 8)velorin"'\x00'
{
  bytes "RIFF$(le32 $((4 + 24 + 8 + 20 + 8 + size)))WAVE"
  fmt_chunk 1 8000 16
  bytes "LIST$(le32 20)$info"
  bytes "data$(le32 "$size")"
  cat "$out/data.raw"
} >"$out/list_before_data.wav"

# A JUNK chunk, as some recorders reserve room with, before the format chunk.
samples 2 8 0.02 >"$out/data.raw"
size=$(stat -c %s "$out/data.raw")
{
  bytes "RIFF$(le32 $((4 + 8 + 28 + 24 + 8 + size)))WAVEJUNK$(le32 28)"
  head -c 28 /dev/zero
  fmt_chunk 2 8000 8
  bytes "data$(le32 "$size")"
  cat "$out/data.raw"
} >"$out/junk_before_fmt.wav"

# The extensible format chunk, naming PCM in its sub-format.
samples 2 16 0.02 >"$out/data.raw"
size=$(stat -c %s "$out/data.raw")
{
  bytes "RIFF$(le32 $((4 + 48 + 8 + size)))WAVEfmt $(le32 40)$(le16 65534)$(le16 2)$(le32 8000)"
  bytes "$(le32 32000)$(le16 4)$(le16 16)$(le16 22)$(le16 16)$(le32 3)"
  bytes "$(le32 1)$(le16 0)$(le16 16)"'\x80\x00\x00\xaa\x00\x38\x9b\x71'
  bytes "data$(le32 "$size")"
  cat "$out/data.raw"
} >"$out/extensible.wav"

# A file cut short in the middle of a frame: the header promises more data than follows.
head -c $((44 + 301)) "$out/stereo16.wav" >"$out/truncated.wav"

# "data" inside the header itself: the sample rate's four bytes spell it (1635017060 Hz), and the
# bytes per second after them read as a data size that ends within the real header.
samples 1 8 0.01 >"$out/data.raw"
size=$(stat -c %s "$out/data.raw")
{
  bytes "RIFF$(le32 $((36 + size)))WAVEfmt $(le32 16)$(le16 1)$(le16 1)data$(le32 16)$(le16 1)$(le16 8)"
  bytes "data$(le32 "$size")"
  cat "$out/data.raw"
} >"$out/data_in_header.wav"

# RIFX: the big-endian form of the same file, which the editor does not open.
samples 2 16 0.01 >"$out/data.raw"
size=$(stat -c %s "$out/data.raw")
{
  bytes "RIFX$(be32 $((36 + size)))WAVEfmt $(be32 16)$(be16 1)$(be16 2)$(be32 8000)$(be32 32000)$(be16 4)$(be16 16)"
  bytes "data$(be32 "$size")"
  # The samples as sox made them, byte-swapped in pairs.
  sox -R -D -t raw -r 8000 -e signed-integer -b 16 -c 2 -L "$out/data.raw" -t raw -B -
} >"$out/rifx.wav"

# An AVI file: RIFF too, with a one-frame movie list and an index but no wave format at all.
{
  bytes "RIFF$(le32 $((4 + 8 + 4 + 64 + 8 + 4 + 16 + 8 + 16)))AVI "
  bytes "LIST$(le32 $((4 + 64)))hdrlavih$(le32 56)$(le32 40000)$(le32 0)$(le32 0)$(le32 16)$(le32 1)"
  bytes "$(le32 0)$(le32 1)$(le32 8)$(le32 2)$(le32 2)$(le32 0)$(le32 0)$(le32 0)$(le32 0)"
  bytes "LIST$(le32 $((4 + 16)))movi00dc$(le32 8)"'\x10\x20\x30\x40\x50\x60\x70\x80'
  bytes "idx1$(le32 16)00dc$(le32 16)$(le32 4)$(le32 8)"
} >"$out/tiny.avi"

rm "$out/data.raw"

# text_input: the first byte is odd for an IIR file, else twice the index of the command among
# those that take arguments; the second sets the sound's format (1: 16 bit, 2: stereo, 4: double
# rate); then the file's content, or the words with a NUL after each.
out=$root/text_input
bytes '\x01\x00'"0.5\r\n0.5\r\n0\r\n" >"$out/iir_average"
bytes '\x01\x03\xef\xbb\xbf'"1\n-0.25\r0.5" >"$out/iir_bom_mixed_ends"
bytes '\x01\x01'"1e300\r\n\x00\r\n\r\n" >"$out/iir_nul_and_empty"
for pick in $(seq 0 23); do
  bytes "$(printf '\\x%02x' $((pick * 2)))"'\x07'" 100\x00+50\x000.5\x00" >"$out/command_$pick"
done
# Found by fuzzing: sine at 50847080 % on a 16-bit sound at double rate, whose rounded values did
# not fit the 32-bit integers the kernels converted them to.
bytes '\x2a\x25'"080\x0050847080\x00" >"$out/sine_amplitude_past_32_bits"
