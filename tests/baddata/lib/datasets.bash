# Builds the broken data sets of the bad-data suite from a good one. Sourced, not run.
# Every data set is a folder holding data/: unchanged files are hard links to the good set
# (or copies across file systems), and a broken file is always written anew and moved over
# its link, so the good set is never touched.

# The files of the show's data set, by kind.
MESH_FILES=(furball.baf spch.baf H_barr.baf H_bout.baf H_hous.baf H_port.baf H_vitr.baf
  H_couettes.baf envahipoilA.baf envahipoilB.baf bottle.baf bubl.bof root.bof mogn.baf
  poildebass.baf poilglow.baf tele.bof tele_chrm.bof tele_noiz.baf rasoirplat_env.bof
  rasoirplat_manche.bof tapis.bof R2_lame.bof R2_manch.bof R2_plas.bof skin.bof clip.bof grtz.baf)
PICTURE_FILES=(loading_1024x512.raw titre_1024x512.raw blue_aniso_64x64.raw
  vrillstripe_256x64.raw fond_shampoo_512x512.raw bgGrn_64x64.raw
  fond_bleu_coini-inf-droit_512x512.raw fond_bleu_bas_512x512.raw fond_bleucentrebas_512x512.raw
  words_512x512.raw H_barr_256x256.raw H_bout_256x256.raw H_hous1_1024x1024.raw
  H_hous2_1024x1024.raw H_port1_256x256.raw H_port2_256x256.raw chrm2_256x256.raw
  darkvrilluv_256x256.raw bottlTiket_512x512.raw bottleEnv_128x128.raw bubulle_64x64.raw
  skinEnv_128x128.raw mogn_64x64.raw effetrevitalisant_256x256.raw tele_1024x1024.raw
  scrnoiz_512x512.raw chrm_256x256.raw rasoirplat_manche_256x256.raw rasoir_256x256.raw
  clip_4x4.raw grtz_4096x64.raw bords2_512x512.raw white_32x32.raw)
SHADER_FILES=(aniso_light.vert aniso_light.frag)
ENVELOPE_FILE=bassloop_low.raw
SOUNDTRACK_FILE=maronekt-mix6.mp3
ALL_FILES=("${MESH_FILES[@]}" "${PICTURE_FILES[@]}" "${SHADER_FILES[@]}" "$ENVELOPE_FILE" "$SOUNDTRACK_FILE")

# Loads the show makes: every mesh once, 41 picture loads (some pictures are loaded twice).
MESH_LOADS=28
PICTURE_LOADS=41

# check_good_set DIR: every file of the inventory is there.
check_good_set() {
  local f missing=0
  for f in "${ALL_FILES[@]}"; do
    [ -f "$1/$f" ] || { echo "missing from the good data set: $1/$f" >&2; missing=1; }
  done
  return $missing
}

# copy_set GOOD DEST: DEST/data mirrors GOOD.
copy_set() {
  rm -rf "$2"
  mkdir -p "$2/data"
  local f
  for f in "${ALL_FILES[@]}"; do
    ln "$1/$f" "$2/data/$f" 2>/dev/null || cp "$1/$f" "$2/data/$f"
  done
}

# replace FILE: moves FILE.new over FILE (never writes through a hard link).
replace() { mv -f "$1.new" "$1"; }

file_size() { stat -c %s "$1"; }

# The corruptions; each takes the path of one file in a data set.
break_missing() { rm -f "$1"; }
break_empty() { : >"$1.new" && replace "$1"; }
break_half() { head -c $(($(file_size "$1") / 2)) "$1" >"$1.new" && replace "$1"; }
# Random bytes of the same length, the same on every run so that a failure can be replayed:
# compressed counting, seeded with the file's name, skipping the compressor's fixed header.
break_random() {
  local size
  size=$(file_size "$1")
  { printf '%s\n' "$(basename "$1")"; seq 1 $((size + 64)); } | gzip -n -1 | tail -c +11 | head -c "$size" >"$1.new"
  [ "$(file_size "$1.new")" -eq "$size" ] && replace "$1"
}

# Mesh files only. Tokens are counted across lines: token 2 is the vertex count, token 3
# the triangle count, token 1 the header word.
# Vertex and triangle counts far beyond what the file holds: 2000000000 each in .bof files
# (more records than the bytes could hold), 4000000000 in .baf files (arrays too large to
# allocate at all).
break_counts() {
  local value=2000000000
  case "$1" in *.baf) value=4000000000 ;; esac
  awk -v v="$value" 'n < 4 { out = ""; for (i = 1; i <= NF; i++) { n++; t = $i; if (n == 2 || n == 3) t = v;
      out = out (i > 1 ? " " : "") t }; print out; next } { print }' "$1" >"$1.new" && replace "$1"
}
# The last triangle record's first index set to the vertex count: one past the last vertex.
break_index() {
  local count
  count=$(awk '{ for (i = 1; i <= NF; i++) if (++n == 2) { print $i; exit } }' "$1")
  awk -v c="$count" 'NR > 1 { print prev } { prev = $0 }
      END { k = split(prev, f, " "); if (k == 4) f[2] = c; print f[1], f[2], f[3], f[4] }' "$1" >"$1.new" &&
    replace "$1"
}
# A header word of 40 characters.
break_header() {
  awk 'NR == 1 { $1 = "HHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHHH" } { print }' "$1" >"$1.new" && replace "$1"
}

# make_set GOOD DEST CORRUPTION FILE...: a copy of GOOD with CORRUPTION applied to each FILE.
make_set() {
  local good=$1 dest=$2 corruption=$3 f
  shift 3
  copy_set "$good" "$dest"
  for f in "$@"; do "break_$corruption" "$dest/data/$f" || return 1; done
}
