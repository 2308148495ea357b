#!/usr/bin/env bash
# The 32-bit programs run on Windows XP machines whose processors have no SSE2 (a Pentium III, an
# Athlon XP): an SSE2 or later instruction reached on such a machine stops the program. The recovery
# code's vector kernels are the one place meant to hold them, run only where the processor has
# them (engine/recovery/Galois16_x86.cpp); everything else is compiled for plain i686. A compiler
# flag, an inline function compiled for the kernels and kept by the linker for the whole program,
# or a new runtime function could bring them elsewhere, and no test on a modern processor would
# notice. So the unstripped programs are disassembled and every instruction that uses the MMX,
# XMM, YMM, ZMM or mask registers, or is one of the SSE-era or later instructions that use none
# (fences, cache control, MXCSR, POPCNT and the bit-manipulation sets, MOVBE, CRC32, XGETBV, XSAVE,
# RDRAND, RDSEED), must lie in a function the list below allows.
# Usage: vector-code.sh PROGRAM.exe... (as built, before scripts/package strips them)
set -euo pipefail
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}

# Allowed, each run only after CPUID (and for AVX2 XGETBV) has said that it may:
allowed=(
    # The GF(2^16) kernels, SSSE3 and AVX2: ChooseKernel picks one from what ProcessorBits reads.
    '^<zendra::par2::\(anonymous namespace\)::(ToWork|FromWork|LaneToWork|LaneFromWork|Ssse3MulAddMany|Avx2MulAddMany)\('
    # XGETBV, only when CPUID says the system has turned it on (OSXSAVE).
    '^<zendra::par2::ProcessorBits\(\)'
    # MinGW's static runtime. libstdc++'s std::random_device uses RDRAND or RDSEED only where
    # CPUID reports them (its _M_init), otherwise the system's generator (linked into both
    # programs); mingw-w64's <fenv.h> functions touch MXCSR only after CPUID reports SSE
    # (themselves or through __mingw_has_sse; not linked in today). Nothing else of the runtime
    # is allowed: libgcc's _Float16 helpers (__mulhc3, __divhc3, ...) use SSE2 unconditionally,
    # and any other vector code of libgcc, libstdc++, winpthreads or the CRT would have to be
    # read and listed here with the check that guards it.
    '^<(std::\(anonymous namespace\)::|\.text\$_ZNSt12_GLOBAL__N_1[0-9]+)__x86_(rdrand|rdseed|rdseed_rdrand)'
    '^<fe(clearexcept|getenv|getexceptflag|setenv|setexceptflag|setround|testexcept)>'
)
allowed_re=$(IFS='|'; echo "${allowed[*]}")

status=0
for program in "$@"; do
    name=$(basename "$program")
    # A program linked without symbols (zendra-join.exe, -s) shows as one block and may then hold
    # no such instruction at all.
    symbols=$("$objdump" -t "$program" | grep -c '^\[' || true)
    # "function<TAB>instruction" for every instruction of the kind above. GCC's exception tables
    # lie inside .text in a PE file under the symbol .gcc_except_table: data, which decodes as
    # anything, so it is skipped.
    found=$("$objdump" -d -C --no-show-raw-insn "$program" | awk '
        /^[0-9a-f]+ <.*>:$/ { fn = substr($0, index($0, "<")); next }
        fn ~ /^<\.gcc_except_table>/ { next }
        /^ +[0-9a-f]+:\t/ {
            insn = substr($0, index($0, "\t") + 1)
            if (insn ~ /%[xyz]?mm[0-9]|%k[0-7]/ ||
                insn ~ /^(lfence|mfence|sfence|clflush|movnti|prefetch|ldmxcsr|stmxcsr|emms|popcnt|lzcnt|movbe|crc32|andn|bextr|bzhi|pdep|pext|rorx|sarx|shlx|shrx|blsi|blsr|blsmsk|adcx|adox|xgetbv|xsave|xrstor|rdrand|rdseed)/)
                print fn "\t" insn
        }')
    [ -n "$found" ] || { echo "$name: no such instruction"; continue; }
    if [ "$symbols" = 0 ]; then
        outside=$(cut -f1 <<<"$found" | sort -u)
    else
        outside=$(cut -f1 <<<"$found" | sort -u | grep -Ev "$allowed_re" || true)
    fi
    if [ -n "$outside" ]; then
        echo "$name has SSE2 or later instructions outside the functions allowed to hold them:" >&2
        while IFS= read -r fn; do
            echo "    $fn" >&2
            grep -F "$fn" <<<"$found" | cut -f2 | head -n 3 | sed 's/^/        /' >&2
        done <<<"$outside"
        status=1
        continue
    fi
    echo "$name: $(wc -l <<<"$found") such instructions, all in:"
    cut -f1 <<<"$found" | sort | uniq -c | sed 's/^/    /'
done
exit $status
