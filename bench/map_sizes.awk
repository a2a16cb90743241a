# Sizes of the input files behind a GNU ld link map (-Wl,-Map), for the
# output sections .text and .rdata. Prints one line per contributor:
#
#   <text bytes> <rdata bytes> <contributor> [<- <referrer>: <symbol>]
#
# A contributor is an object file or an archive member, named by its file
# name ("libstdc++.a(floating_to_chars.o)", "app.cpp.obj"); for an archive
# member, the file and symbol that made the linker take it follow. Sections
# thrown away by --gc-sections are listed before the memory map and not
# counted; fill between input sections is counted under "(fill)".

function hex(s,    i, c, v) {
  s = tolower(s)
  sub(/^0x/, "", s)
  v = 0
  for (i = 1; i <= length(s); i++) {
    c = index("0123456789abcdef", substr(s, i, 1))
    if (c == 0) return -1
    v = v * 16 + c - 1
  }
  return v
}

function short_name(path,    n, parts) {
  n = split(path, parts, "/")
  return parts[n]
}

function note_referrer(text,    file, symbol) {
  file = text
  sub(/ .*/, "", file)
  symbol = text
  sub(/^[^ ]+ */, "", symbol)
  gsub(/^\(|\)$/, "", symbol)
  if (length(symbol) > 60) symbol = substr(symbol, 1, 57) "..."
  pulled_by[member] = short_name(file) (symbol == "" ? "" : ": " symbol)
  member = ""
}

function add(size, file,    who) {
  if (section == "") return
  who = file == "" ? "(fill)" : short_name(file)
  if (section == ".text") text[who] += size
  else rdata[who] += size
  seen[who] = 1
}

# Who pulled each archive member in: the map starts with
#   member                        referrer (symbol)
# the referrer on the next line, indented, when the member's name is long.
/^Archive member included/ { in_members = 1; next }
in_members && /^(Discarded input sections|Memory Configuration)/ { in_members = 0 }
in_members && /^[^ ]/ {
  member = short_name($1)
  if (NF > 1) { sub(/^[^ ]+ +/, ""); note_referrer($0) }
  next
}
in_members && /^ +[^ ]/ && member != "" { sub(/^ +/, ""); note_referrer($0); next }

/^Linker script and memory map/ { in_map = 1; next }
!in_map { next }

# An output section starts in column 1.
/^[^ ]/ {
  section = ""
  if ($1 == ".text" || $1 == ".rdata") section = $1
  pending = ""
  next
}

section == "" { next }

# Fill between input sections: " *fill*  0xADDR  0xSIZE".
$1 == "*fill*" && NF >= 3 { add(hex($3), ""); next }

# An input section on one line: " .name  0xADDR  0xSIZE  file".
/^ [^ *]/ && NF >= 4 && $2 ~ /^0x/ && $3 ~ /^0x/ { add(hex($3), $4); pending = ""; next }

# A long input section name alone on its line; address, size and file
# follow on the next one.
/^ [^ *]/ && NF == 1 { pending = $1; next }
pending != "" && NF >= 3 && $1 ~ /^0x/ && $2 ~ /^0x/ { add(hex($2), $3); pending = ""; next }

END {
  for (who in seen) {
    printf "%d %d %s%s\n", text[who], rdata[who], who, who in pulled_by ? " <- " pulled_by[who] : ""
  }
}
