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

  const elements = (node) => Array.prototype.filter.call(node.childNodes, (n) => n.nodeType === 1);

  function decode(element) {
    switch (element.nodeName) {
      case 'string': return element.textContent;
      case 'number': return Number(element.textContent);
      case 'true': return true;
      case 'false': return false;
      case 'null': return null;
      case 'array': case 'object': return decodeComposite(element);
      default: return undefined;
    }
  }

  // Members are defined, not assigned, so an id such as "__proto__" stays a plain member.
  function decodeComposite(element) {
    const result = element.nodeName === 'array' ? [] : {};
    for (const property of elements(element)) {
      if (property.nodeName !== 'property') continue;
      const child = elements(property)[0];
      Object.defineProperty(result, property.getAttribute('id') || '', {
        value: child ? decode(child) : undefined, enumerable: true, writable: true, configurable: true,
      });
    }
    return result;
  }

  // The host's CallFunction: one invoke document for the function registered under its name.
  // A document that does not parse whole calls nothing, rather than half its arguments.
  function deliver(request) {
    const doc = new DOMParser().parseFromString(String(request), 'application/xml');
    const invoke = doc.documentElement;
    if (!invoke || invoke.nodeName !== 'invoke' || doc.getElementsByTagName('parsererror').length) return;
    const fn = callbacks.get(invoke.getAttribute('name'));
    if (!fn) return;
    const list = elements(invoke).find((e) => e.nodeName === 'arguments');
    fn.apply(undefined, list ? elements(list).map(decode) : []);
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
