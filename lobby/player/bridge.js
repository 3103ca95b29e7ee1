// The movie's side of the bridge, injected into the top frame before any script of the page.
// It gives the movie ExternalInterface.call/addCallback and fscommand. Every message carries a
// token that only this closure knows, so a frame without this script cannot speak for the movie.
(function (token, handler) {
  'use strict';
  if (!handler || typeof handler.postMessage !== 'function') return;
  const post = handler.postMessage.bind(handler);
  const callbacks = new Map();
  const escapes = { '&': '&amp;', '<': '&lt;', '>': '&gt;', '"': '&quot;', "'": '&apos;' };
  const escapeXml = (text) => String(text).replace(/[&<>"']/g, (c) => escapes[c]);
  const textOf = (value) => (value === undefined || value === null ? '' : String(value));

  // One value of an invoke document. A value met again inside itself becomes null.
  function encode(value, open) {
    switch (typeof value) {
      case 'string': return '<string>' + escapeXml(value) + '</string>';
      case 'number': case 'bigint': return '<number>' + String(value) + '</number>';
      case 'boolean': return value ? '<true/>' : '<false/>';
      case 'undefined': return '<undefined/>';
      case 'object': return value === null || open.has(value) ? '<null/>' : encodeComposite(value, open);
      default: return '<null/>';
    }
  }

  function encodeComposite(value, open) {
    open.add(value);
    const isArray = Array.isArray(value);
    const keys = isArray ? Array.from(value, (_, i) => String(i)) : Object.keys(value);
    let items = '';
    for (const key of keys) {
      items += '<property id="' + escapeXml(key) + '">' + encode(value[key], open) + '</property>';
    }
    open.delete(value);
    const tag = isArray ? 'array' : 'object';
    return '<' + tag + '>' + items + '</' + tag + '>';
  }

  // The host's documents are plain elements, attributes and escaped text. A small scanner
  // reads them several times faster than DOMParser; anything it does not know (a declaration,
  // a comment, a namespace prefix, an unknown reference, a character XML normalises or
  // forbids, broken nesting) goes to DOMParser, whose verdict stands. Both give the same
  // nodes: { name, attrs, kids, text } with the direct text of each element.
  const references = { amp: '&', lt: '<', gt: '>', quot: '"', apos: "'" };
  const numeric = /^#(?:x([0-9a-fA-F]{1,6})|([0-9]{1,7}))$/;
  const unusual = /[\u0000-\u0008\u000b-\u001f\ud800-\udfff\ufffe\uffff]|]]>/;

  function allowedCode(code) {
    return code === 0x9 || code === 0xA || code === 0xD || (code >= 0x20 && code <= 0xD7FF) ||
      (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
  }

  // Text with its references replaced; null when it holds anything the scanner leaves alone.
  function unescape(text, inAttribute) {
    if (unusual.test(text) || text.indexOf('\r') >= 0 ||
        (inAttribute && /[\t\n]/.test(text))) return null;
    let out = '', at = 0;
    for (;;) {
      const amp = text.indexOf('&', at);
      if (amp < 0) return out + text.slice(at);
      const semi = text.indexOf(';', amp);
      if (semi < 0) return null;
      const ref = text.slice(amp + 1, semi);
      let ch = Object.prototype.hasOwnProperty.call(references, ref) ? references[ref] : undefined;
      const digits = numeric.exec(ref);
      if (digits) {
        const code = digits[1] ? parseInt(digits[1], 16) : parseInt(digits[2], 10);
        if (!allowedCode(code) || code === 0xD) return null;
        ch = String.fromCodePoint(code);
      }
      if (ch === undefined) return null;
      out += text.slice(at, amp) + ch;
      at = semi + 1;
    }
  }

  const isNameStart = (c) => (c >= 65 && c <= 90) || (c >= 97 && c <= 122) || c === 95;
  const isNameChar = (c) => isNameStart(c) || (c >= 48 && c <= 57) || c === 45 || c === 46;
  const isSpace = (c) => c === 32 || c === 9 || c === 10 || c === 13;

  // The length of the plain name at `at`; 0 when there is none.
  function nameLength(text, at, end) {
    if (at >= end || !isNameStart(text.charCodeAt(at))) return 0;
    let i = at + 1;
    while (i < end && isNameChar(text.charCodeAt(i))) ++i;
    return i - at;
  }

  // `name="value"` pairs of a start tag's inside, in an object without a prototype (none: an
  // empty one); null when anything else is there.
  const noAttributes = Object.freeze(Object.create(null));
  function scanAttributes(text, at, end) {
    let attrs = noAttributes;
    for (;;) {
      const before = at;
      while (at < end && isSpace(text.charCodeAt(at))) ++at;
      if (at === end) return attrs;
      const length = at > before ? nameLength(text, at, end) : 0;
      if (!length) return null;
      const name = text.slice(at, at + length);
      at += length;
      while (at < end && isSpace(text.charCodeAt(at))) ++at;
      if (text.charCodeAt(at) !== 61) return null;  // '='
      ++at;
      while (at < end && isSpace(text.charCodeAt(at))) ++at;
      const quote = text[at];
      if (quote !== '"' && quote !== "'") return null;
      const close = text.indexOf(quote, at + 1);
      if (close < 0 || close >= end) return null;
      const value = unescape(text.slice(at + 1, close), true);
      if (value === null || value.indexOf('<') >= 0 || name in attrs) return null;
      if (attrs === noAttributes) attrs = Object.create(null);
      attrs[name] = value;
      at = close + 1;
    }
  }

  function scan(text) {
    const top = { kids: [], text: '' };
    const open = [top];
    const n = text.length;
    let at = 0;
    while (at < n) {
      const lt = text.indexOf('<', at);
      const stop = lt < 0 ? n : lt;
      if (stop > at) {
        const words = unescape(text.slice(at, stop), false);
        if (words === null || (open.length === 1 && words.trim() !== '')) return null;
        open[open.length - 1].text += words;
        at = stop;
        continue;
      }
      const gt = text.indexOf('>', at);
      if (gt < 0) return null;
      const parent = open[open.length - 1];
      if (text.charCodeAt(at + 1) === 47) {  // an end tag
        let last = gt;
        while (last > at + 2 && isSpace(text.charCodeAt(last - 1))) --last;
        const length = nameLength(text, at + 2, last);
        if (!length || at + 2 + length !== last || open.length === 1 ||
            parent.name !== text.slice(at + 2, last)) return null;
        open.pop();
      } else {
        const empty = text.charCodeAt(gt - 1) === 47;
        const inner = empty ? gt - 1 : gt;
        const length = nameLength(text, at + 1, inner);
        const attrs = length ? scanAttributes(text, at + 1 + length, inner) : null;
        if (!attrs || (open.length === 1 && top.kids.length)) return null;
        const node = { name: text.slice(at + 1, at + 1 + length), attrs, kids: [], text: '' };
        parent.kids.push(node);
        if (!empty) open.push(node);
      }
      at = gt + 1;
    }
    return open.length === 1 && top.kids.length === 1 ? top.kids[0] : null;
  }

  function fromDom(element) {
    const node = { name: element.nodeName, attrs: Object.create(null), kids: [], text: '' };
    for (const a of element.attributes) node.attrs[a.name] = a.value;
    for (const child of element.childNodes) {
      if (child.nodeType === 1) node.kids.push(fromDom(child));
      else if (child.nodeType === 3 || child.nodeType === 4) node.text += child.data;
    }
    return node;
  }

  function parse(text) {
    const fast = scan(text);
    if (fast) return fast;
    const doc = new DOMParser().parseFromString(text, 'application/xml');
    if (!doc.documentElement || doc.getElementsByTagName('parsererror').length) return null;
    return fromDom(doc.documentElement);
  }

  // The text of an element and of everything inside it.
  const textOfNode = (node) => (node.kids.length ? node.text + node.kids.map(textOfNode).join('') : node.text);

  function decode(node) {
    switch (node.name) {
      case 'string': return textOfNode(node);
      case 'number': return Number(textOfNode(node));
      case 'true': return true;
      case 'false': return false;
      case 'null': return null;
      case 'array': case 'object': return decodeComposite(node);
      default: return undefined;
    }
  }

  // "__proto__" is defined, not assigned, so it stays a plain member; assignment is quicker
  // for every other id.
  function decodeComposite(node) {
    const result = node.name === 'array' ? [] : {};
    for (const property of node.kids) {
      if (property.name !== 'property') continue;
      const child = property.kids[0];
      const id = property.attrs.id || '';
      const value = child ? decode(child) : undefined;
      if (id === '__proto__') {
        Object.defineProperty(result, id, { value, enumerable: true, writable: true, configurable: true });
      } else {
        result[id] = value;
      }
    }
    return result;
  }

  // The host's CallFunction: one invoke document for the function registered under its name.
  // A document that does not parse whole calls nothing, rather than half its arguments.
  function deliver(request) {
    const invoke = parse(String(request));
    if (!invoke || invoke.name !== 'invoke') return;
    const fn = callbacks.get(invoke.attrs.name);
    if (!fn) return;
    const list = invoke.kids.find((e) => e.name === 'arguments');
    fn.apply(undefined, list ? list.kids.map(decode) : []);
  }

  function call(name, ...args) {
    const values = args.map((value) => encode(value, new Set())).join('');
    post({ t: token, k: 'call', a: '<invoke name="' + escapeXml(textOf(name)) +
      '" returntype="xml"><arguments>' + values + '</arguments></invoke>' });
  }

  function addCallback(name, fn) {
    if (typeof fn === 'function') callbacks.set(textOf(name), fn);
  }

  function fscommand(command, args) {
    post({ t: token, k: 'fscommand', a: textOf(command), b: textOf(args) });
  }

  const fixed = (value) => ({ value: Object.freeze(value), writable: false, configurable: false });
  Object.defineProperty(window, 'ExternalInterface', fixed({ available: true, call, addCallback }));
  Object.defineProperty(window, 'fscommand', fixed(fscommand));
  Object.defineProperty(window, '__zembaDeliver', fixed(deliver));
  document.addEventListener('DOMContentLoaded', () => post({ t: token, k: 'ready' }), { once: true });
})('@TOKEN@', window.webkit && window.webkit.messageHandlers && window.webkit.messageHandlers.zemba);
