// Dev mode only: copies the page's console messages and uncaught errors, with where they come
// from, to the lobby, which prints them on its standard error.
(function (handler) {
  'use strict';
  if (!handler || typeof handler.postMessage !== 'function') return;
  const post = handler.postMessage.bind(handler);
  const show = (value) => {
    if (typeof value === 'string') return value;
    if (value instanceof Error) return String(value.stack || value);
    try { return JSON.stringify(value); } catch (e) { return String(value); }
  };
  for (const level of ['log', 'info', 'warn', 'error', 'debug']) {
    const original = console[level].bind(console);
    console[level] = function (...args) {
      // The second line of the stack is the caller: "name@address:line:column".
      const caller = String(new Error().stack || '').split('\n')[1] || '';
      post({ k: 'console.' + level, text: args.map(show).join(' '), at: caller.replace(/^[^@]*@/, '') });
      return original(...args);
    };
  }
  window.addEventListener('error', (e) => post({ k: 'error', text: String(e.message),
                                                 at: `${e.filename}:${e.lineno}:${e.colno}` }));
  window.addEventListener('unhandledrejection', (e) => post({ k: 'error',
    text: 'unhandled rejection: ' + show(e.reason), at: '' }));
})(window.webkit && window.webkit.messageHandlers && window.webkit.messageHandlers.zembaDev);
