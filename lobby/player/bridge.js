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

  const markup = /<([A-Za-z_][\w.-]*)((?:\s+[A-Za-z_][\w.-]*\s*=\s*(?:"[^"<]*"|'[^'<]*'))*)\s*(\/?)>|<\/([A-Za-z_][\w.-]*)\s*>|([^<]+)/y;
  const attribute = /([A-Za-z_][\w.-]*)\s*=\s*(?:"([^"]*)"|'([^']*)')/g;

  function scanAttributes(source) {
    const attrs = new Map();
    for (const m of source.matchAll(attribute)) {
      const value = unescape(m[2] !== undefined ? m[2] : m[3], true);
      if (value === null || attrs.has(m[1])) return null;
      attrs.set(m[1], value);
    }
    return attrs;
  }

  function scan(text) {
    const top = { kids: [], text: '' };
    const open = [top];
    markup.lastIndex = 0;
    while (markup.lastIndex < text.length) {
      const at = markup.lastIndex;
      const m = markup.exec(text);
      if (!m || m.index !== at) return null;
      const parent = open[open.length - 1];
      if (m[5] !== undefined) {
        const words = unescape(m[5], false);
        if (words === null || (open.length === 1 && words.trim() !== '')) return null;
        parent.text += words;
      } else if (m[4] !== undefined) {
        if (open.length === 1 || parent.name !== m[4]) return null;
        open.pop();
      } else {
        const attrs = scanAttributes(m[2]);
        if (!attrs || (open.length === 1 && top.kids.length)) return null;
        const node = { name: m[1], attrs, kids: [], text: '' };
        parent.kids.push(node);
        if (!m[3]) open.push(node);
      }
    }
    return open.length === 1 && top.kids.length === 1 ? top.kids[0] : null;
  }

  function fromDom(element) {
    const node = { name: element.nodeName, attrs: new Map(), kids: [], text: '' };
    for (const a of element.attributes) node.attrs.set(a.name, a.value);
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
  const textOfNode = (node) => node.text + node.kids.map(textOfNode).join('');

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

  // Members are defined, not assigned, so an id such as "__proto__" stays a plain member.
  function decodeComposite(node) {
    const result = node.name === 'array' ? [] : {};
    for (const property of node.kids) {
      if (property.name !== 'property') continue;
      const child = property.kids[0];
      Object.defineProperty(result, property.attrs.get('id') || '', {
        value: child ? decode(child) : undefined, enumerable: true, writable: true, configurable: true,
      });
    }
    return result;
  }

  // The host's CallFunction: one invoke document for the function registered under its name.
  // A document that does not parse whole calls nothing, rather than half its arguments.
  function deliver(request) {
    const invoke = parse(String(request));
    if (!invoke || invoke.name !== 'invoke') return;
    const fn = callbacks.get(invoke.attrs.get('name'));
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
