// Appended to a page under test: reports the page's visible state to the test's server and
// runs the JavaScript the test pushes, so a shell script can click through the page.
(() => {
  const SERVER = 'http://127.0.0.1:@PORT@';
  const log = (line) => fetch(SERVER + '/log?' + encodeURIComponent(line)).catch(() => {});
  const report = () => {
    const rows = [...document.querySelectorAll('#games li')].map((li) => li.dataset.name + '=' + li.dataset.state);
    log('state ' + rows.join(',') + ' | ' + document.getElementById('status').textContent);
  };
  new MutationObserver(report).observe(document.body, { subtree: true, childList: true, characterData: true });
  window.click = (selector) => document.querySelector(selector).click();
  async function poll() {
    try {
      const r = await fetch(SERVER + '/next');
      if (r.status === 200) {
        const js = await r.text();
        try { (0, eval)(js); } catch (e) { log('error ' + e); }
      }
    } catch (e) {}
    setTimeout(poll, 50);
  }
  log('ready ' + location.href);
  poll();
})();
