#!/usr/bin/env bash
# Writes the fuzz targets' seed corpora (into tests/fuzz/corpus/<target>/, or under the folder
# given). wave_load: one small file of each layout the editor opens and of each shape its loader
# has to see through or refuse; the samples come from sox, the headers from printf, so the files
# come out the same every time. text_input: IIR files and the words of each command that takes
# arguments. command_sequence: sequences of commands, each followed by its undo and redo.
set -euo pipefail
root=${1:-$(dirname "$0")/corpus}
out=$root/wave_load
mkdir -p "$out" "$root/text_input" "$root/command_sequence"
rm -f "$out"/* "$root/text_input"/* "$root/command_sequence"/*

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

# command_sequence: the sound's layout, length and seed, then each command as its place among the
# commands without a device (velorin-cli's usage order, play, record and devices left out),
# followed by its arguments as places among the fuzz target's words. A table that gains commands
# turns these into other sequences, which serve as well.
out=$root/command_sequence
commands=(open new save reload undo redo info samples spectrum select select-all channels copy cut paste
  delete crop insert-silence double-rate halve-rate to-16bit to-8bit to-24bit to-float to-stereo to-mono
  cd-format resample loudness normalize-loudness mute normalize remove-dc fade-in fade-out hanning invert
  reverse low-pass high-pass iir iir-open iir-apply wall delay echo echo-repeat stereo-expand add-noise
  gate sine square)
words=(0 1 2 3 5 9 10 20 50 90 100 150 199 200 300 999 1000 -1 -7 0.5 -0.25 2.5 1e300 x '' left right
  both 4000 2147483647 @in @out @iir @missing)
place() {
  local list=$1 name=$2 i=0
  local -n items=$list
  for item in "${items[@]}"; do
    if [ "$item" = "$name" ]; then echo "$i"; return; fi
    i=$((i + 1))
  done
  echo "no $name in $list" >&2
  exit 1
}
# NAME LAYOUT PAIRS SEED, then commands, each with its arguments after a colon: select:0:199.
sequence() {
  local name=$1
  local bytes
  bytes=$(printf '\\x%02x\\x%02x\\x%02x' "$2" "$3" "$4")
  shift 4
  for step in "$@"; do
    IFS=: read -r -a parts <<<"$step"
    bytes+=$(printf '\\x%02x' "$(place commands "${parts[0]}")")
    for word in "${parts[@]:1}"; do bytes+=$(printf '\\x%02x' "$(place words "$word")"); done
  done
  bytes "$bytes" >"$out/$name"
}
sequence paste_undone_then_mute 3 100 1 select:0:199 copy paste undo select:0:9 mute undo
sequence cut_paste_crop 9 100 2 select:10:100 cut paste crop undo undo redo redo
sequence conversions 0 50 3 double-rate to-mono halve-rate to-stereo to-16bit to-8bit cd-format undo undo undo redo
sequence reverse_invert_past_the_end 2 100 4 select:200:999 reverse invert select:-1:100 reverse invert undo undo undo undo
sequence effects 7 100 5 delay:50 echo:50:50 echo-repeat:50:50 stereo-expand add-noise:10 gate:10 sine:200:50 square:200:50 undo undo redo
sequence save_reload_open 11 30 6 mute save:@out undo reload mute open:@out invert undo
sequence filters 5 100 7 low-pass:1000 high-pass:1000 iir:0.5:0.5:-0.25 iir-open:@iir iir-apply wall:10:1000 normalize:90 remove-dc fade-in fade-out hanning undo undo undo
sequence insert_delete_new 6 40 8 insert-silence:1000 delete new:0.5 paste undo undo redo
# Found by fuzzing: a crop of the whole sound removes no frame but drops the chunk after the data,
# which its undo must bring back.
sequence crop_of_everything 9 100 2 select-all crop undo redo
# The wider layouts: 24-bit stereo, 32-bit mono and float stereo (bits 4 and 5 of the first byte),
# with conversions between them and the commands that measure or resample the whole sound.
sequence wide_24bit 17 100 9 normalize:90 to-float low-pass:1000 to-24bit reverse invert undo undo undo redo
sequence wide_32bit 32 100 10 fade-in to-16bit undo normalize-loudness:-7:-1 cut paste undo undo
sequence wide_float 49 100 11 normalize:50 resample:4000 loudness to-24bit to-8bit undo undo redo
