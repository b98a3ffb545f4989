// Numbers as neuronet writes them: exactly, as its trace does (the shortest text that reads
// back to the same double, laid out as C++'s std::to_chars lays it out), and with the three
// decimals of its console (C's "%.3f", rounded from the exact binary value, ties to even).

// The shortest text of a double, as in the trace.
export function exact(x) {
  if (Number.isNaN(x)) return 'NaN';
  if (!Number.isFinite(x)) return x > 0 ? 'Infinity' : '-Infinity';
  if (x === 0) return Object.is(x, -0) ? '-0.0' : '0';
  const sign = x < 0 ? '-' : '';
  const [mantissa, power] = Math.abs(x).toExponential().split('e');
  const digits = mantissa.replace('.', '');
  const scale = Number(power);            // the scientific form's exponent
  const exponent = scale - digits.length + 1;  // the value is digits times 10^exponent
  const scientific = `${digits[0]}${digits.length > 1 ? `.${digits.slice(1)}` : ''}e` +
    `${scale < 0 ? '-' : '+'}${String(Math.abs(scale)).padStart(2, '0')}`;
  let fixed;
  if (exponent >= 0) {
    fixed = Math.abs(x) >= 2 ** 53 ? BigInt(Math.abs(x)).toString() : digits + '0'.repeat(exponent);
  } else if (scale >= 0) {
    fixed = `${digits.slice(0, scale + 1)}.${digits.slice(scale + 1)}`;
  } else {
    fixed = `0.${'0'.repeat(-scale - 1)}${digits}`;
  }
  return sign + (fixed.length <= scientific.length ? fixed : scientific);
}

// The console's text of a double, without its space.
export function threeDecimals(x) {
  if (!Number.isFinite(x)) return Number.isNaN(x) ? 'nan' : x > 0 ? 'inf' : '-inf';
  const bits = new DataView(new ArrayBuffer(8));
  bits.setFloat64(0, Math.abs(x));
  const word = bits.getBigUint64(0);
  const field = Number(word >> 52n);
  const mantissa = (word & ((1n << 52n) - 1n)) | (field ? 1n << 52n : 0n);
  const shift = BigInt(1075 - Math.max(field, 1));  // |x| is mantissa / 2^shift
  let thousandths = mantissa * 1000n;
  if (shift > 0n) {
    const whole = thousandths >> shift;
    const rest = thousandths - (whole << shift);
    const half = 1n << (shift - 1n);
    thousandths = whole + (rest > half || (rest === half && whole % 2n === 1n) ? 1n : 0n);
  } else {
    thousandths <<= -shift;
  }
  const text = thousandths.toString().padStart(4, '0');
  return `${Object.is(x, -0) || x < 0 ? '-' : ''}${text.slice(0, -3)}.${text.slice(-3)}`;
}

// 1234567 as "1,234,567".
export const grouped = (count) => String(count).replace(/\B(?=(\d{3})+$)/g, ',');

// A trace's number: a JSON number, or one of the three strings.
export const number = (value) =>
  typeof value === 'number' ? value : { NaN: NaN, Infinity: Infinity, '-Infinity': -Infinity }[value];
