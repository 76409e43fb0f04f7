#!/usr/bin/env python3
"""Lists the entries of the functions whose code differs between two builds, for a probe to trap.

    bench-changed.py BASE_BUILD HEAD_BUILD BASE_OUT HEAD_OUT

Compares every function and datum of the libraries, plug-ins and benchmark programs, object file by
object file, debug information aside (a header's shifted lines change nothing): its bytes and what its
relocations point at, merged strings and constants by their bytes. A function that takes the address
of a changed datum (a table, a vtable) counts as changed too. Each OUT gets one line per changed
function of that side, "FILE OFFSET", its entry in a linked program or library; the count of changed
functions goes to standard output.
"""
import bisect, hashlib, os, struct, subprocess, sys

SKIP = (".debug", ".eh_frame", ".note", ".comment", ".gcc_except_table", ".group", ".rela.debug")
PC_RELATIVE = {2, 4, 9, 41, 42}  # PC32, PLT32, GOTPCREL, GOTPCRELX, REX_GOTPCRELX: the addend is -4


def query(build, target):
    """A target's own objects (static libraries' merged in) and the built shared ones it needs."""
    out = subprocess.run(["ninja", "-C", build, "-t", "query", target], capture_output=True, text=True).stdout
    objects, shared, inputs = [], [], False
    for line in out.splitlines():
        s = line.strip()
        if s.startswith(("input:", "outputs:")):
            inputs = s.startswith("input:")
            continue
        path = s.lstrip("|").strip()
        if not inputs or not path or path.startswith("/"):
            continue
        if path.endswith(".o"):
            objects.append(path)
        elif path.endswith(".a"):
            objects += query(build, path)[0]
        elif path.endswith(".so") or (target == "kernel_folder" and not path.startswith("CMakeFiles")):
            shared.append(path)
    return sorted(set(objects)), shared


def targets(build):
    """The benchmark programs, the libraries they load and the plug-ins, each with its objects and
    whether it is a program."""
    todo = ["kernel_folder"] + sorted("bin/" + f for f in os.listdir(os.path.join(build, "bin")) if f.startswith("bench_"))
    seen = set(todo)
    while todo:
        target = todo.pop()
        objects, shared = query(build, target)
        if target != "kernel_folder" and os.path.exists(os.path.join(build, target)):
            yield target, target.startswith("bin/"), [o for o in objects if os.path.exists(os.path.join(build, o))]
        for t in shared:
            if t not in seen:
                seen.add(t)
                todo.append(t)


class Obj:
    """What one relocatable object defines and references: nodes with their signatures and edges.
    Locals are known within their object, and so are a program's globals: programs share no code."""

    def __init__(self, data, key, program):
        self.sig, self.edges, self.funcs, self.code = {}, {}, set(), {}
        shoff, = struct.unpack_from("<Q", data, 0x28)
        shentsize, shnum, shstrndx = struct.unpack_from("<HHH", data, 0x3A)
        secs = [struct.unpack_from("<IIQQQQIIQQ", data, shoff + i * shentsize) for i in range(shnum)]

        def name_at(table, off):
            return data[table + off:data.index(b"\0", table + off)].decode()

        names = [name_at(secs[shstrndx][4], s[0]) for s in secs]
        symtab = next((i for i, s in enumerate(secs) if s[1] == 2), None)
        if symtab is None:
            return
        strtab = secs[secs[symtab][6]][4]
        syms = []
        for off in range(secs[symtab][4], secs[symtab][4] + secs[symtab][5], 24):
            st_name, info, _, shndx, value, size = struct.unpack_from("<IBBHQQ", data, off)
            name = name_at(strtab, st_name) if st_name else ""
            bind, typ = info >> 4, info & 15
            defined = 0 < shndx < 0xFF00
            node = key + ":" + name if defined and (bind == 0 or program) else name
            syms.append((name, node, bind, typ, shndx, value, size))
        by_sec, local_funcs = {}, {}
        for name, node, bind, typ, shndx, value, size in syms:
            if not name or typ in (3, 4) or not 0 < shndx < 0xFF00 or names[shndx].startswith(SKIP):
                continue
            by_sec.setdefault(shndx, []).append((value, value + max(size, 1), node))
            if typ == 2:
                self.funcs.add(node)
                if bind == 0:
                    local_funcs.setdefault(shndx, []).append(node)
        for lst in by_sec.values():
            lst.sort()
        starts = {k: [v[0] for v in lst] for k, lst in by_sec.items()}
        parts = {}  # node -> what its signature is made of

        def content(shndx):
            s = secs[shndx]
            return b"" if s[1] == 8 else data[s[4]:s[4] + s[5]]

        def covering(shndx, off):
            lst = by_sec.get(shndx)
            if lst:
                i = bisect.bisect_right(starts[shndx], off) - 1
                if i >= 0 and lst[i][0] <= off < lst[i][1]:
                    return lst[i][2], off - lst[i][0]
            return None

        def owner(shndx, off):
            found = covering(shndx, off)
            if found:
                return found
            # No symbol covers it: the section as a whole.
            node = key + ":" + names[shndx]
            if node not in parts:
                parts[node] = [content(shndx)]
                self.edges.setdefault(node, set())
            return node, off

        for shndx, lst in by_sec.items():
            body = content(shndx)
            for start, end, node in lst:
                parts.setdefault(node, []).append(b"%d" % (end - start))
                if body:
                    self.code[node] = (body[start:end], start, shndx)
                self.edges.setdefault(node, set())
            # Calls the assembler resolved within a section leave no relocation: any function of the
            # section may reach any local one of it.
            if shndx in local_funcs:
                group = key + ":" + names[shndx] + ":locals"
                self.edges[group] = set(local_funcs[shndx])
                for _, _, node in lst:
                    self.edges[node].add(group)
        for s in secs:
            if s[1] != 4 or s[7] >= len(secs) or names[s[7]].startswith(SKIP):
                continue
            for off in range(s[4], s[4] + s[5], 24):
                r_off, r_info, addend = struct.unpack_from("<QQq", data, off)
                name, node, bind, typ, shndx, value, _ = syms[r_info >> 32]
                rtype = r_info & 0xFFFFFFFF
                src, rel = owner(s[7], r_off)
                what = b""
                if 0 < shndx < len(secs) and (typ == 3 or bind == 0):
                    # A place in this object: the symbol covering it, or for merged strings and
                    # constants the bytes themselves.
                    at = (0 if typ == 3 else value) + addend + (4 if rtype in PC_RELATIVE else 0)
                    if secs[shndx][2] & 0x10:
                        body = content(shndx)
                        stop = body.find(b"\0", at) if secs[shndx][2] & 0x20 else at + max(secs[shndx][9], 1)
                        node, what = None, body[at:stop if stop >= 0 else len(body)]
                    else:
                        node, inner = owner(shndx, at)
                        what = b"%d" % inner
                parts.setdefault(src, []).append(b"%d %d %s %s" % (rel, rtype, (node or "").encode(), what))
                if node:
                    self.edges.setdefault(src, set()).add(node)
        for node, p in parts.items():
            code = self.code.get(node, (b"",))[0]
            self.sig[node] = (hashlib.blake2b(b"\1".join(p), digest_size=16).digest(),
                              hashlib.blake2b(code, digest_size=16).digest())

        def place(shndx, off):
            return covering(shndx, off) or (names[shndx], off)

        self.place = place


def side(build, cache):
    """Signatures, references and functions of a build, and each linked file's objects."""
    sig, edges, funcs, files, code = {}, {}, set(), {}, {}
    done = set()
    for target, program, objects in targets(build):
        files[os.path.realpath(os.path.join(build, target))] = set(objects)
        for path in objects:
            if path in done:
                continue
            done.add(path)
            data = open(os.path.join(build, path), "rb").read()
            h = (hashlib.blake2b(data, digest_size=16).digest(), path, program)
            if h not in cache:
                cache[h] = Obj(data, path, program)
            o = cache[h]
            for node, v in o.sig.items():
                sig.setdefault(node, set()).add(v)
            for node, e in o.edges.items():
                edges.setdefault(node, set()).update(e)
            funcs |= o.funcs
            for node, (body, start, shndx) in o.code.items():
                code[node] = (body, start, shndx, o.place)
    return sig, edges, funcs, code, files


def same_code(a, b):
    """Whether two bodies differ only where a call, jump or address within their section points at
    the same place: the assembler resolves those itself, so a neighbour's change moves them."""
    (ca, sa, sha, oa), (cb, sb, shb, ob) = a, b
    if len(ca) != len(cb):
        return False
    i = 0
    while i < len(ca):
        if ca[i] == cb[i]:
            i += 1
            continue
        j = i
        while j < len(ca) and ca[j] != cb[j]:
            j += 1
        for p in range(max(j - 4, 2), i + 1):
            op, modrm = ca[p - 2:p], ca[p - 1]
            if p + 4 <= len(ca) and (modrm in (0xE8, 0xE9) or (op[0] == 0x0F and 0x80 <= modrm <= 0x8F) or
                                     (op[0] == 0x8D and modrm & 0xC7 == 0x05)):
                da = int.from_bytes(ca[p:p + 4], "little", signed=True)
                db = int.from_bytes(cb[p:p + 4], "little", signed=True)
                ta, tb = oa(sha, sa + p + 4 + da), ob(shb, sb + p + 4 + db)
                if ta[0].rsplit(":", 1)[-1] == tb[0].rsplit(":", 1)[-1] and ta[1] == tb[1]:
                    i = p + 4
                    break
        else:
            return False
    return True


def changed(b, h):
    (bsig, bedges, bfuncs, bcode, _), (hsig, hedges, hfuncs, hcode, _) = b, h
    diff = {n for n in bsig.keys() | hsig.keys() if bsig.get(n) != hsig.get(n)}
    for n in list(diff):
        bs, hs = bsig.get(n, ()), hsig.get(n, ())
        if len(bs) == len(hs) == 1 and next(iter(bs))[0] == next(iter(hs))[0] and n in bcode and n in hcode \
                and same_code(bcode[n], hcode[n]):
            diff.discard(n)
    # A changed datum (a table, a vtable, a constant) changes what reads it: back to functions
    # through data alone.
    funcs = bfuncs | hfuncs
    referrers = {}
    for edges in (bedges, hedges):
        for src, targets_ in edges.items():
            for t in targets_:
                referrers.setdefault(t, set()).add(src)
    todo = [n for n in diff if n not in funcs]
    while todo:
        for src in referrers.get(todo.pop(), ()):
            if src not in diff and not src.endswith(":locals"):
                diff.add(src)
                if src not in funcs:
                    todo.append(src)
    # A cold part is entered from its function only.
    for n in [n for n in diff if ".cold" in n]:
        diff.add(n.split(".cold")[0])
        diff.add(n.rsplit(":", 1)[-1].split(".cold")[0])
    return {n for n in diff if n in funcs}


def entries(path, names):
    """The file offsets of the functions of a linked program or library that bear the names."""
    data = open(path, "rb").read()
    if data[:4] != b"\x7fELF":
        return []
    phoff, shoff = struct.unpack_from("<QQ", data, 0x20)
    phentsize, phnum, shentsize, shnum = struct.unpack_from("<HHHH", data, 0x36)
    loads = []
    for i in range(phnum):
        ptype, _, off, vaddr, _, filesz, _, _ = struct.unpack_from("<IIQQQQQQ", data, phoff + i * phentsize)
        if ptype == 1:
            loads.append((vaddr, vaddr + filesz, off))
    secs = [struct.unpack_from("<IIQQQQIIQQ", data, shoff + i * shentsize) for i in range(shnum)]
    out = set()
    for sec in secs:
        if sec[1] != 2:
            continue
        strtab = secs[sec[6]][4]
        for off in range(sec[4], sec[4] + sec[5], 24):
            st_name, info, _, shndx, value, _ = struct.unpack_from("<IBBHQQ", data, off)
            if info & 15 != 2 or shndx == 0 or not st_name:
                continue
            if data[strtab + st_name:data.index(b"\0", strtab + st_name)].decode() in names:
                out |= {value - lo + foff for lo, hi, foff in loads if lo <= value < hi}
    return sorted(out)


def main():
    builds, outs = sys.argv[1:3], sys.argv[3:5]
    cache = {}
    sides = [side(build, cache) for build in builds]
    diff = changed(*sides)
    for (_, _, _, _, files), out in zip(sides, outs):
        with open(out, "w") as f:
            for path, objects in sorted(files.items()):
                # Globals of the libraries by name; a program's own and locals within their object.
                names = {n.rsplit(":", 1)[1] for n in diff if ":" in n and n.rsplit(":", 1)[0] in objects}
                names |= {n for n in diff if ":" not in n}
                for off in entries(path, names):
                    f.write("%s %d\n" % (path, off))
    print(len(diff))


if __name__ == "__main__":
    main()
