#!/usr/bin/env node
// Usage: node scripts/extract-roms.mjs WASM OUTDIR
//
// Cuts the four 16 KB machine ROM images out of a WebAssembly module's data
// section. The images sit somewhere in the module's initial memory, so the
// active data segments are laid out into a flat memory image and that image is
// scanned for windows whose CRC32 matches a known image. Passive segments have
// no address of their own; they are scanned separately.
import { readFileSync, writeFileSync, mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { pathToFileURL } from 'node:url';

const ROM_SIZE = 16384;
const WANTED = [
  { name: 'basic.bin', crc: 0x74eaae87 },
  { name: 'kernal.bin', crc: 0x71c07bd4 },
  { name: '3plus1lo.rom', crc: 0x4fd1d8cb },
  { name: '3plus1hi.rom', crc: 0x109de2fc },
];

// Standard reflected CRC-32 (polynomial 0xEDB88320), as zip and gzip use.
const TABLE = new Uint32Array(256);
for (let n = 0; n < 256; n++) {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
  TABLE[n] = c >>> 0;
}
// Raw register update: no initial value and no final inversion.
function crcRaw(reg, buf, start = 0, end = buf.length) {
  for (let i = start; i < end; i++) reg = (reg >>> 8) ^ TABLE[(reg ^ buf[i]) & 0xff];
  return reg >>> 0;
}
export const crc32 = (buf) => ~crcRaw(0xffffffff, buf) >>> 0;

// --- WebAssembly binary parsing -------------------------------------------

class Reader {
  constructor(buf, pos = 0) { this.buf = buf; this.pos = pos; }
  byte() {
    if (this.pos >= this.buf.length) throw new Error('unexpected end of module');
    return this.buf[this.pos++];
  }
  // Unsigned LEB128; values up to 2^53 stay exact as plain numbers.
  uleb() {
    let result = 0, scale = 1, b;
    do { b = this.byte(); result += (b & 0x7f) * scale; scale *= 128; } while (b & 0x80);
    return result;
  }
  // Signed LEB128 of an i32: the sign bit is bit 6 of the last byte.
  sleb32() {
    let result = 0n, shift = 0n, b;
    do { b = this.byte(); result |= BigInt(b & 0x7f) << shift; shift += 7n; } while (b & 0x80);
    if (b & 0x40) result -= 1n << shift;
    return Number(BigInt.asIntN(32, result));
  }
  bytes(n) {
    if (this.pos + n > this.buf.length) throw new Error('segment runs past end of module');
    const out = this.buf.subarray(this.pos, this.pos + n);
    this.pos += n;
    return out;
  }
}

// Only `i32.const N end` is understood; anything else (e.g. global.get for a
// relocatable base) yields null so the caller can skip the segment.
function readOffsetExpr(r) {
  const start = r.pos;
  if (r.byte() === 0x41) {
    const v = r.sleb32();
    if (r.byte() === 0x0b) return v >>> 0;
  }
  // Skip to `end` so parsing can go on. Constant expressions hold only
  // global.get / i32.const / i64.const (one LEB immediate) and immediate-free
  // arithmetic, so skipping the LEBs keeps a 0x0b inside one from ending early.
  r.pos = start;
  for (let op = r.byte(); op !== 0x0b; op = r.byte()) if (op === 0x23 || op === 0x41 || op === 0x42) r.uleb();
  return null;
}

export function parseDataSegments(wasm) {
  const r = new Reader(wasm);
  if (wasm.length < 8 || wasm.readUInt32BE(0) !== 0x0061736d) throw new Error('not a WebAssembly module (bad magic)');
  if (wasm.readUInt32LE(4) !== 1) throw new Error(`unsupported WebAssembly version ${wasm.readUInt32LE(4)}`);
  r.pos = 8;
  const active = [], passive = [];
  while (r.pos < wasm.length) {
    const id = r.byte();
    const size = r.uleb();
    const end = r.pos + size;
    if (end > wasm.length) throw new Error(`section ${id} runs past end of module`);
    if (id === 11) {
      const count = r.uleb();
      for (let i = 0; i < count; i++) {
        const flags = r.uleb();
        if (flags === 1) { passive.push(r.bytes(r.uleb())); continue; }
        if (flags !== 0 && flags !== 2) throw new Error(`data segment ${i}: unknown flags ${flags}`);
        const mem = flags === 2 ? r.uleb() : 0;
        const offset = readOffsetExpr(r);
        const data = r.bytes(r.uleb());
        if (offset === null) console.warn(`warning: data segment ${i}: unsupported offset expression, skipped`);
        else if (mem !== 0) console.warn(`warning: data segment ${i}: memory ${mem}, skipped`);
        else active.push({ offset, data });
      }
    }
    r.pos = end;
  }
  return { active, passive };
}

export function layOutMemory(active) {
  const size = active.reduce((m, s) => Math.max(m, s.offset + s.data.length), 0);
  const mem = Buffer.alloc(size);
  // Later segments overwrite earlier ones, as instantiation does.
  for (const s of active) mem.set(s.data, s.offset);
  return mem;
}

// --- Search ----------------------------------------------------------------

// CRC-32 is linear over GF(2), so the CRC of a fixed-length window can be
// rolled one byte at a time: with Z = raw CRC of the window from a zero
// register, sliding by one byte is Z' = step(Z, incoming) ^ OUT[outgoing],
// where OUT[b] is the raw CRC of b followed by ROM_SIZE zero bytes. The real
// CRC is ~(Z ^ K), K being the raw CRC of ROM_SIZE zeros from 0xFFFFFFFF.
// That checks every byte offset in one linear pass.
const OUT = new Uint32Array(256);
const zeros = new Uint8Array(ROM_SIZE);
for (let b = 0; b < 256; b++) OUT[b] = crcRaw(crcRaw(0, [b]), zeros);
const K = crcRaw(0xffffffff, zeros);

export function findImages(buf, wanted = WANTED) {
  const targets = new Map(wanted.map((w) => [(~w.crc ^ K) >>> 0, w.name]));
  const found = new Map();
  if (buf.length < ROM_SIZE) return found;
  let z = crcRaw(0, buf, 0, ROM_SIZE);
  for (let i = 0; ; i++) {
    const name = targets.get(z);
    // Confirm with a direct CRC: cheap, and guards the rolling arithmetic.
    if (name && !found.has(name) && crc32(buf.subarray(i, i + ROM_SIZE)) === wanted.find((w) => w.name === name).crc) {
      found.set(name, i);
      if (found.size === wanted.length) break;
    }
    if (i + ROM_SIZE >= buf.length) break;
    z = ((z >>> 8) ^ TABLE[(z ^ buf[i + ROM_SIZE]) & 0xff] ^ OUT[buf[i]]) >>> 0;
  }
  return found;
}

function main(argv) {
  if (argv.length !== 2) {
    console.error('usage: node extract-roms.mjs WASM OUTDIR');
    return 2;
  }
  const [wasmPath, outDir] = argv;
  const t0 = process.hrtime.bigint();
  const { active, passive } = parseDataSegments(readFileSync(wasmPath));
  const mem = layOutMemory(active);
  const areas = [{ label: 'memory', buf: mem }, ...passive.map((buf, i) => ({ label: `passive segment ${i}`, buf }))];
  mkdirSync(outDir, { recursive: true });
  const missing = new Set(WANTED.map((w) => w.name));
  for (const { label, buf } of areas) {
    for (const [name, off] of findImages(buf, WANTED.filter((w) => missing.has(w.name)))) {
      writeFileSync(join(outDir, name), buf.subarray(off, off + ROM_SIZE));
      console.log(`  ${name.padEnd(13)} at ${label} offset 0x${off.toString(16)}`);
      missing.delete(name);
    }
    if (missing.size === 0) break;
  }
  const ms = Number(process.hrtime.bigint() - t0) / 1e6;
  console.log(`  scanned ${active.length} active segments (${mem.length} bytes) and ${passive.length} passive in ${ms.toFixed(0)} ms`);
  if (missing.size) {
    console.error(`error: image(s) not found in the module: ${[...missing].join(', ')}`);
    return 1;
  }
  return 0;
}

if (import.meta.url === pathToFileURL(process.argv[1]).href) {
  try { process.exitCode = main(process.argv.slice(2)); }
  catch (e) { console.error(`error: ${e.message}`); process.exitCode = 1; }
}
